# Runs inside `cpack -G DEB` on the staged files, before they are archived: strips the
# executables, adds the documents a Debian package carries and compresses the man pages, as
# Debian's policy asks.

if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${root}/bin")
    message(FATAL_ERROR "deb_staging: no staged files under ${root}")
endif()

# gzip -n leaves out the name and time, so the same source makes the same package.
function(compress source target)
    execute_process(COMMAND gzip -9 -n -c "${source}" OUTPUT_FILE "${target}"
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "deb_staging: could not compress ${source}")
    endif()
    file(CHMOD "${target}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

# As Debian's own tools strip: the symbols, the debugging data and the compiler's notes go.
file(GLOB programs "${root}/${CPACK_QUILLBOX_BINDIR}/*")
foreach(program IN LISTS programs)
    execute_process(COMMAND "${CPACK_QUILLBOX_STRIP}" --remove-section=.comment
                            --remove-section=.note "${program}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "deb_staging: could not strip ${program}")
    endif()
endforeach()

set(docdir "${root}/${CPACK_QUILLBOX_DOCDIR}")
file(MAKE_DIRECTORY "${docdir}")
file(COPY "${CPACK_QUILLBOX_COPYRIGHT}" DESTINATION "${docdir}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# A package without a Debian revision is native: its changelog is changelog.gz.
compress("${CPACK_QUILLBOX_CHANGELOG}" "${docdir}/changelog.gz")

file(GLOB_RECURSE pages "${root}/${CPACK_QUILLBOX_MANDIR}/*")
list(FILTER pages INCLUDE REGEX "\\.[1-9]$")
foreach(page IN LISTS pages)
    compress("${page}" "${page}.gz")
    file(REMOVE "${page}")
endforeach()
