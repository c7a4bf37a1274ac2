# The texts a user reads, translated: translations/quillbox_de.ts holds every message in German,
# translations/quillbox_en.ts only the English plural forms ("1 note", "2 notes"), which the
# source's single "%n notes" cannot give. Both are compiled and embedded under :/i18n.
#
#   cmake --build build --target update_translations
#
# brings both files up to date with the sources (new messages appear unfinished, vanished ones
# go); the test "translations" fails until each is translated.
set(QUILLBOX_TS_DIR ${PROJECT_SOURCE_DIR}/translations)
set(quillbox_ts_de ${QUILLBOX_TS_DIR}/quillbox_de.ts)
set(quillbox_ts_en ${QUILLBOX_TS_DIR}/quillbox_en.ts)

# Every file that may hold a message: the widgets' library and the entry point.
get_target_property(quillbox_text_sources quillbox_ui SOURCES)
list(APPEND quillbox_text_sources app/main.cpp)
list(TRANSFORM quillbox_text_sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
# The same list for the English plurals and for the test, in lupdate's own list format.
set(QUILLBOX_TEXT_SOURCES_LIST ${CMAKE_CURRENT_BINARY_DIR}/quillbox_text_sources.lst)
list(JOIN quillbox_text_sources "\n" quillbox_text_lines)
file(GENERATE OUTPUT ${QUILLBOX_TEXT_SOURCES_LIST}
     CONTENT "-I${CMAKE_CURRENT_SOURCE_DIR}\n${quillbox_text_lines}\n")
set(QUILLBOX_TEXT_SOURCES_LIST ${QUILLBOX_TEXT_SOURCES_LIST} PARENT_SCOPE)
set(QUILLBOX_TS_DIR ${QUILLBOX_TS_DIR} PARENT_SCOPE)

qt_add_translations(quillbox_ui
    TS_FILES ${quillbox_ts_de}
    SOURCES ${quillbox_text_sources}
    INCLUDE_DIRECTORIES ${CMAKE_CURRENT_SOURCE_DIR}
    RESOURCE_PREFIX /i18n
    LUPDATE_OPTIONS -no-obsolete -locations relative)

add_custom_target(quillbox_ui_lupdate_plurals
    COMMAND Qt6::lupdate -pluralonly -no-obsolete -locations relative
            @${QUILLBOX_TEXT_SOURCES_LIST} -ts ${quillbox_ts_en}
    VERBATIM)
add_dependencies(update_translations quillbox_ui_lupdate_plurals)

qt6_add_translation(quillbox_en_qm ${quillbox_ts_en})
qt_add_resources(quillbox_ui quillbox_ui_plurals
    PREFIX /i18n
    BASE ${CMAKE_CURRENT_BINARY_DIR}
    FILES ${quillbox_en_qm})
