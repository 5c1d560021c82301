# The SDK's libraries for a panel built for Windows, compiled from the sources installed with the SDK.
#
# The package's static libraries are Linux code. When the author's project targets Windows (a MinGW-w64
# toolchain: the SDK's toolchains/i686-w64-mingw32.cmake for the shipping DLL, or
# toolchains/x86_64-w64-mingw32.cmake for tests under Wine), OrvoPanelSDKConfig.cmake includes this file
# instead of the imported targets. It defines the same names, built with the author's compiler from
# <prefix>/share/orvo-panel-sdk/src: orvo::string, orvo::platform, orvo::script_helper, orvo::host_contract
# (also named orvo::host_records) and, when GoogleTest is found or its Debian source is in
# /usr/src/googletest, orvo::panel_testing with GTest::gtest and GTest::gtest_main. It reads
# ORVO_SDK_SOURCE_DIR, ORVO_SDK_SOURCE_NAME (where the package installs the sources) and
# ORVO_SDK_INCLUDE_DIR, which the package config sets, and writes nothing outside the author's build
# folder.
include_guard(GLOBAL)

set(_orvo_src ${ORVO_SDK_SOURCE_DIR})
if(NOT EXISTS ${_orvo_src}/script_helper/orvo_script_helper.cpp)
  message(FATAL_ERROR "OrvoPanelSDK: building for ${CMAKE_SYSTEM_NAME} needs the SDK's sources in "
                      "${_orvo_src}, which are not there")
endif()

# The library's own sources of one folder, without the other platform's files.
function(_orvo_sdk_sources out folder)
  file(GLOB sources ${_orvo_src}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# One static library, compiled as the SDK compiles its own, in the author's build when a target uses it.
function(_orvo_sdk_library name alias)
  add_library(${name} STATIC EXCLUDE_FROM_ALL ${ARGN})
  add_library(${alias} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${ORVO_SDK_INCLUDE_DIR})
  # The private headers (the command-text buffer, the debug output) sit beside their sources.
  target_include_directories(${name} PRIVATE ${_orvo_src}/string ${_orvo_src}/script_helper
                                             ${_orvo_src}/platform ${_orvo_src}/host_contract)
  target_compile_features(${name} PUBLIC cxx_std_17)
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  # Wherever the package was unpacked, what is compiled names the sources where the package installs
  # them, so two builds of one panel give the same DLL.
  if(NOT MSVC)
    target_compile_options(${name} PRIVATE -ffile-prefix-map=${_orvo_src}=${ORVO_SDK_SOURCE_NAME})
  endif()
endfunction()

_orvo_sdk_sources(string_sources string)
_orvo_sdk_library(orvo_string orvo::string ${string_sources})
_orvo_sdk_library(orvo_platform orvo::platform ${_orvo_src}/platform/debug_output_windows.cpp)
_orvo_sdk_sources(helper_sources script_helper)
_orvo_sdk_library(orvo_script_helper orvo::script_helper ${helper_sources})
target_link_libraries(orvo_script_helper PUBLIC orvo_string PRIVATE orvo_platform)

# The host contract needs no GoogleTest; the kit does.
_orvo_sdk_sources(contract_sources host_contract)
_orvo_sdk_library(orvo_host_contract orvo::host_contract ${contract_sources})
target_link_libraries(orvo_host_contract PUBLIC orvo_script_helper)
add_library(orvo::host_records ALIAS orvo_host_contract)
_orvo_sdk_sources(kit_sources panel_testing)

if(NOT TARGET GTest::gtest)
  find_package(GTest QUIET)
endif()
set(ORVO_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source, built for Windows targets")
if(NOT TARGET GTest::gtest AND EXISTS ${ORVO_GTEST_SOURCE_DIR}/CMakeLists.txt)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${ORVO_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/orvo-googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
if(TARGET GTest::gtest)
  _orvo_sdk_library(orvo_panel_testing orvo::panel_testing ${kit_sources})
  target_link_libraries(orvo_panel_testing PUBLIC orvo_script_helper orvo_host_contract GTest::gtest)
endif()
unset(_orvo_src)
