# SPDX-License-Identifier: MIT
# morlith_windows_resources(TARGET DESCRIPTION TEXT [ICON FILE]): gives a Windows executable its
# application manifest (asInvoker, UTF-8 code page, per-monitor DPI awareness, common controls 6,
# long paths), its version information and, if given, its icon, compiled by windres.
set(MORLITH_WINDOWS_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging/windows)

# No SVG module for Windows: the icon comes as PNG renderings made by the host's morlith-icon-png,
# with morlith.ico made from them for the executables.
set(MORLITH_ICON_FOLDER "" CACHE PATH "The icon's PNG renderings and morlith.ico")
if(NOT EXISTS "${MORLITH_ICON_FOLDER}/morlith.ico")
  message(FATAL_ERROR "MORLITH_ICON_FOLDER must hold the icon's renderings (scripts/build-windows makes them)")
endif()

function(morlith_windows_resources target)
  cmake_parse_arguments(RC "" "DESCRIPTION;ICON" "" ${ARGN})
  set(MORLITH_RC_NAME ${target})
  set(MORLITH_RC_DESCRIPTION "${RC_DESCRIPTION}")
  # A Windows version is four numbers of at most 65535 each: the date of 260713.1 is split into
  # the year and the month and day, 26.713.1.0 (a snapshot's suffix has no place there).
  set(date ${PROJECT_VERSION_MAJOR})
  set(build 0)
  if(NOT PROJECT_VERSION_MINOR STREQUAL "")
    set(build ${PROJECT_VERSION_MINOR})
  endif()
  string(SUBSTRING "${date}" 0 2 year)
  string(SUBSTRING "${date}" 2 -1 day)
  math(EXPR year "${year}")
  math(EXPR day "${day}")
  set(MORLITH_RC_VERSION_COMMAS "${year},${day},${build},0")
  set(MORLITH_RC_VERSION_DOTTED "${year}.${day}.${build}.0")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  set(MORLITH_RC_MANIFEST ${out}/${target}.manifest)
  set(MORLITH_RC_ICON_LINE "")
  if(RC_ICON)
    set(MORLITH_RC_ICON_LINE "1 ICON \"${RC_ICON}\"")
  endif()
  configure_file(${MORLITH_WINDOWS_PACKAGING_DIR}/morlith.manifest.in ${MORLITH_RC_MANIFEST} @ONLY)
  configure_file(${MORLITH_WINDOWS_PACKAGING_DIR}/version.rc.in ${out}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${out}/${target}.rc)
  set_property(SOURCE ${out}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS ${MORLITH_RC_MANIFEST} ${RC_ICON})
endfunction()
