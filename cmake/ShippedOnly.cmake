# SPDX-License-Identifier: MIT
# MORLITH_SHIPPED_ONLY: the default build makes only what is installed (and the tests, when they
# are built), not the benchmarks and the tools that draw the pictures and the screenshots. Every
# program or library that no install rule names and that is not a test leaves the default build;
# a library an installed program links is still built as its dependency, and the excluded ones
# can be built by name. The installed targets come from packaging/ (MORLITH_INSTALLED_TARGETS).
option(MORLITH_SHIPPED_ONLY "Build by default only what is installed, and the tests" OFF)

function(morlith_targets_below folder out)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(subfolder IN LISTS subfolders)
    morlith_targets_below(${subfolder} below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

if(MORLITH_SHIPPED_ONLY)
  get_property(installed GLOBAL PROPERTY MORLITH_INSTALLED_TARGETS)
  set(tests "")
  if(BUILD_TESTING AND IS_DIRECTORY ${CMAKE_SOURCE_DIR}/tests)
    morlith_targets_below(${CMAKE_SOURCE_DIR}/tests tests)
  endif()
  morlith_targets_below(${CMAKE_SOURCE_DIR} all_targets)
  foreach(target IN LISTS all_targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$"
        AND NOT target IN_LIST installed AND NOT target IN_LIST tests)
      set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
    endif()
  endforeach()
endif()
