# The Debian package: `cpack -G DEB` in the build directory makes
# quillbox_<version>_<architecture>.deb, its dependencies found by dpkg-shlibdeps.
#
# `cmake --install` keeps installing the plain files (an uncompressed man page, no Debian
# documents); what only the package carries is added to CPack's staging tree by
# deb_staging.cmake, after the install and before the archive is made.

set(QUILLBOX_PACKAGE_MAINTAINER "The Quillbox developers <quillbox@users.noreply.github.com>"
    CACHE STRING "The Maintainer of the Debian package")
set(QUILLBOX_HOMEPAGE https://github.com/quillbox/quillbox)

# Debian's copyright file carries the licence text, indented, with " ." for a blank line.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
string(REGEX REPLACE "^.*\n\n(Permission)" "\\1" license "${license}")
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
set(QUILLBOX_LICENSE_TEXT " ${license}")
configure_file(${PROJECT_SOURCE_DIR}/data/debian/copyright.in ${CMAKE_BINARY_DIR}/deb/copyright
               @ONLY)

set(CPACK_PACKAGE_NAME quillbox)
set(CPACK_PACKAGE_VENDOR "The Quillbox developers")
set(CPACK_PACKAGE_CONTACT "${QUILLBOX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL ${QUILLBOX_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plain-text notes that save themselves")
# Lines end where Debian's 80 columns would.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Quillbox keeps each note as one plain UTF-8 Markdown file in a folder you"
    "choose, so sync tools and other editors can share it. Notes are listed newest"
    "first with a search field and saved without a save command, a few seconds"
    "after you stop typing or as soon as you leave the note. The first line is the"
    "title, and the file is renamed to follow it.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt finds its display plugins at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Read by deb_staging.cmake, which runs inside cpack where only CPACK_ variables exist.
set(CPACK_QUILLBOX_COPYRIGHT ${CMAKE_BINARY_DIR}/deb/copyright)
set(CPACK_QUILLBOX_CHANGELOG ${PROJECT_SOURCE_DIR}/data/debian/changelog)
set(CPACK_QUILLBOX_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/quillbox)
set(CPACK_QUILLBOX_MANDIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_QUILLBOX_BINDIR ${CMAKE_INSTALL_BINDIR})
set(CPACK_QUILLBOX_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_staging.cmake)

include(CPack)
