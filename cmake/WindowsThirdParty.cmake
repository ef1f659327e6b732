# SPDX-License-Identifier: MIT
# The cross build's third-party sources, from Debian's source packages (scripts/windows-sources):
# pugixml built from its source tree and GoogleTest from the googletest package's tree. Both stand
# in for the host's packages, so the folders' find_package calls find them as they are.
set(MORLITH_PUGIXML_SOURCE_DIR "" CACHE PATH "pugixml source tree for the cross build")
set(MORLITH_GOOGLETEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree for the cross build")
# Qt, libjpeg and libsodium cross-built into prefixes of their own (scripts/build-qt-windows,
# scripts/build-jpeg-windows, scripts/build-sodium-windows): searched as roots of their own beside
# MinGW-w64's.
set(MORLITH_WINDOWS_PREFIXES "" CACHE STRING "Prefixes of the cross-built Qt, libjpeg and libsodium")
list(APPEND CMAKE_FIND_ROOT_PATH ${MORLITH_WINDOWS_PREFIXES})
list(APPEND CMAKE_PREFIX_PATH ${MORLITH_WINDOWS_PREFIXES})

if(NOT IS_DIRECTORY "${MORLITH_PUGIXML_SOURCE_DIR}")
  message(FATAL_ERROR "MORLITH_PUGIXML_SOURCE_DIR must name pugixml's source tree (scripts/windows-sources)")
endif()

set(BUILD_SHARED_LIBS OFF CACHE BOOL "Static libraries throughout")
add_subdirectory("${MORLITH_PUGIXML_SOURCE_DIR}" third-party/pugixml EXCLUDE_FROM_ALL)
file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/pugixml-config.cmake" "")

if(BUILD_TESTING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${MORLITH_GOOGLETEST_SOURCE_DIR}" third-party/googletest EXCLUDE_FROM_ALL)
  foreach(library gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${library})
      add_library(GTest::${library} ALIAS ${library})
    endif()
  endforeach()
  file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/gtest-config.cmake" "")
endif()

# toml++ is header-only: the headers of Debian's libtomlplusplus-dev, copied into the build so that
# they, and no other host header, are in reach of the cross compiler.
set(MORLITH_TOMLPLUSPLUS_HOST_DIR "/usr/include" CACHE PATH "Folder holding toml++/ (libtomlplusplus-dev)")
if(NOT EXISTS "${MORLITH_TOMLPLUSPLUS_HOST_DIR}/toml++/toml.h")
  message(FATAL_ERROR "toml++ not found in ${MORLITH_TOMLPLUSPLUS_HOST_DIR}: install libtomlplusplus-dev")
endif()
file(COPY "${MORLITH_TOMLPLUSPLUS_HOST_DIR}/toml++" DESTINATION "${CMAKE_BINARY_DIR}/third-party/tomlplusplus")
set(MORLITH_TOMLPLUSPLUS_INCLUDE_DIR "${CMAKE_BINARY_DIR}/third-party/tomlplusplus" CACHE PATH "" FORCE)

# Header-only libraries from the host's Debian packages (nlohmann-json3-dev, libcli11-dev): their
# header folders are copied into the build tree, so that the cross compiler sees them and nothing
# else of the host's /usr/include.
foreach(entry "nlohmann_json;nlohmann_json;nlohmann;json.hpp" "CLI11;CLI11;CLI;CLI.hpp")
  list(GET entry 0 package)
  list(GET entry 1 target)
  list(GET entry 2 folder)
  list(GET entry 3 header)
  find_path(MORLITH_${package}_HOST_INCLUDE "${folder}/${header}" PATHS /usr/include NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH)
  if(NOT MORLITH_${package}_HOST_INCLUDE)
    message(FATAL_ERROR "${folder}/${header} not found: scripts/install-deps installs it")
  endif()
  file(COPY "${MORLITH_${package}_HOST_INCLUDE}/${folder}" DESTINATION "${CMAKE_BINARY_DIR}/third-party/include")
  add_library(morlith_${target}_headers INTERFACE)
  target_include_directories(morlith_${target}_headers SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/third-party/include")
  add_library(${target}::${target} ALIAS morlith_${target}_headers)
  string(TOLOWER "${package}" lowercase)
  file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${lowercase}-config.cmake" "")
endforeach()
