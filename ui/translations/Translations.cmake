# SPDX-License-Identifier: MIT
# The forms' translations: lrelease compiles each morlith_<language>.ts into a .qm that is built
# into the program under :/i18n. `cmake --build build --target update-translations` runs lupdate
# to bring the .ts files in step with the tr() texts of the sources (then translate what it marks
# unfinished). Both tools come from qt6-l10n-tools.
set(MORLITH_LANGUAGES ru)

find_program(MORLITH_LRELEASE NAMES lrelease-qt6 lrelease
  HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" /usr/lib/qt6/bin REQUIRED)
find_program(MORLITH_LUPDATE NAMES lupdate-qt6 lupdate
  HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" /usr/lib/qt6/bin REQUIRED)

set(ts_folder ${CMAKE_CURRENT_LIST_DIR})
set(qm_folder ${CMAKE_CURRENT_BINARY_DIR}/translations)
set(ts_files "")
set(qm_files "")
foreach(language IN LISTS MORLITH_LANGUAGES)
  set(ts ${ts_folder}/morlith_${language}.ts)
  set(qm ${qm_folder}/morlith_${language}.qm)
  add_custom_command(OUTPUT ${qm}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${qm_folder}
    COMMAND ${MORLITH_LRELEASE} -silent -nounfinished ${ts} -qm ${qm}
    DEPENDS ${ts}
    COMMENT "lrelease morlith_${language}.ts"
    VERBATIM)
  list(APPEND ts_files ${ts})
  list(APPEND qm_files ${qm})
endforeach()

qt_add_resources(morlith_ui morlith_translations PREFIX /i18n BASE ${qm_folder} FILES ${qm_files}
  OPTIONS --format-version 1)

# The folders whose tr() texts the translations cover.
set(MORLITH_TRANSLATED_FOLDERS ${CMAKE_SOURCE_DIR}/ui ${CMAKE_SOURCE_DIR}/app
  ${CMAKE_SOURCE_DIR}/widgets CACHE INTERNAL "")
add_custom_target(update-translations
  COMMAND ${MORLITH_LUPDATE} -silent -locations none -no-obsolete ${MORLITH_TRANSLATED_FOLDERS}
          -ts ${ts_files}
  COMMENT "lupdate: ${ts_files}"
  VERBATIM)
