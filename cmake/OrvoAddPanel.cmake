# CMake functions for panel authors, installed with the SDK.
#
# orvo_add_panel(<name> SOURCES <file>... [LINK <target>...]
#                [VERSION <a.b.c.d>] [DESCRIPTION <text>] [PRODUCT <text>] [COMPANY <text>])
#
#   Declares a panel script module the host can load: <name>.so (<name>.dll on Windows), with no "lib"
#   prefix, hidden visibility so that load_orvo_client_script is its only exported symbol, linked to
#   orvo::script_helper. The sources are compiled once, into the static library <name>_code, which the
#   module takes whole and a test can link (orvo_add_panel_test does). They are built with the warnings
#   that catch a handler which overrides nothing (-Woverloaded-virtual, -Wsuggest-override, or the
#   compiler's equivalents); a hidden handler is always an error, the other warnings are errors when
#   ORVO_PANEL_WERROR is on; the SDK's package makes its headers
#   ordinary headers, not system ones, so a warning the compiler reports at the helper's declaration
#   still shows. Every source is compiled with orvo_panel_export.h included first, so an entry point
#   defined with another signature does not compile even in a source that does not include the header;
#   the module fails to link unless one source defines the entry point. On Windows it also
#   carries a version block: file and product version VERSION (default 1.0.0.1), internal name <name>,
#   UK English with the Unicode code page.
#
# orvo_add_panel_test(<name> PANEL <panel> SOURCES <file>...)
#
#   A GoogleTest program linked with the panel's code (<panel>_code), orvo::panel_testing and
#   GoogleTest's main; each of its test cases is registered with CTest. 32-bit Windows code cannot run on
#   the build machine, so in that build the test is left out with a note (the 64-bit Windows build runs it
#   under Wine).
#
# orvo_add_dll_check(<name> PANEL <panel>)
#
#   In a 32-bit Windows build, a CTest test that checks <panel>.dll as the host meets it
#   (orvo_check_dll.sh: one undecorated export, system imports only, __thiscall slots, the version block
#   with the panel's VERSION). Elsewhere it declares nothing.
#
# orvo_add_scenario_test(<name> PANEL <panel> SITE <file> SCENARIO <file>)
#
#   A CTest test that plays SCENARIO against the built module of <panel> in the SDK's host emulator
#   (orvo::panel_host) with the site file SITE. Relative paths are taken from the current source folder.
#   A 64-bit Windows build plays it in the package's panel_host.exe under Wine; a build for which the SDK
#   has no emulator (32-bit Windows) leaves the test out with a note.
#   A panel built with AddressSanitizer (-fsanitize=address in CMAKE_CXX_FLAGS, the build type's flags or
#   the panel's own options) is played with the compiler's ASan runtime preloaded into the installed
#   emulator, which is not built with it; the sanitizer's report then fails the test.
include_guard(GLOBAL)

set(ORVO_PANEL_SUPPORT_DIR ${CMAKE_CURRENT_LIST_DIR})
option(ORVO_PANEL_WERROR "Treat warnings in panel sources as errors" OFF)

# The warnings every panel source is built with. ORVO_WERROR is the SDK project's own switch.
function(orvo_panel_warnings target)
  if(ORVO_PANEL_WERROR OR ORVO_WERROR)
    set(werror ON)
  endif()
  # A handler that hides the helper's is never called: that one stops the build whatever the switch says.
  if(MSVC)
    # C4263/C4264/C4266: a member function that hides a virtual one instead of overriding it.
    target_compile_options(${target} PRIVATE /W4 /we4263 /we4264 /we4266 $<$<BOOL:${werror}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror=overloaded-virtual -Wsuggest-override
                           $<$<BOOL:${werror}>:-Werror>)
  endif()
endfunction()

function(orvo_add_panel name)
  cmake_parse_arguments(PANEL "" "VERSION;DESCRIPTION;PRODUCT;COMPANY" "SOURCES;LINK" ${ARGN})
  if(NOT PANEL_SOURCES)
    message(FATAL_ERROR "orvo_add_panel(${name}): SOURCES is required")
  endif()
  if(PANEL_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvo_add_panel(${name}): unknown arguments ${PANEL_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT PANEL_VERSION)
    set(PANEL_VERSION 1.0.0.1)
  endif()
  if(NOT PANEL_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "orvo_add_panel(${name}): VERSION must have four numbers, like 1.0.0.1")
  endif()
  if(NOT PANEL_DESCRIPTION)
    set(PANEL_DESCRIPTION "${name} panel script")
  endif()
  if(NOT PANEL_PRODUCT)
    set(PANEL_PRODUCT "${name}")
  endif()

  # The panel's code, once: the module takes all of it, a test links what it uses.
  add_library(${name}_code STATIC ${PANEL_SOURCES})
  target_link_libraries(${name}_code PUBLIC orvo::script_helper ${PANEL_LINK})
  set_target_properties(${name}_code PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON
  )
  orvo_panel_warnings(${name}_code)
  # The entry point's declaration comes first in every source, included or not.
  if(MSVC)
    target_compile_options(${name}_code PRIVATE /FIorvo_panel_export.h)
  else()
    target_compile_options(${name}_code PRIVATE "SHELL:-include orvo_panel_export.h")
  endif()

  add_library(${name} MODULE ${ORVO_PANEL_SUPPORT_DIR}/orvo_panel_entry_check.cpp)
  target_link_libraries(${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}_code>" orvo::script_helper)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
  )
  orvo_panel_warnings(${name})
  set_target_properties(${name} PROPERTIES ORVO_PANEL_VERSION ${PANEL_VERSION})

  if(WIN32)
    set(PANEL_NAME ${name})
    string(REPLACE "." "," PANEL_VERSION_COMMAS "${PANEL_VERSION}")
    string(REPLACE "." ", " PANEL_VERSION_TEXT "${PANEL_VERSION}")
    set(rc_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
    configure_file(${ORVO_PANEL_SUPPORT_DIR}/orvo_panel_version.rc.in ${rc_file} @ONLY)
    enable_language(RC)
    target_sources(${name} PRIVATE ${rc_file})
    # The host finds the entry point by its plain name; the runtime goes inside the DLL.
    if(MINGW)
      target_link_options(${name} PRIVATE -static-libgcc -static-libstdc++ -static "LINKER:--kill-at")
    endif()
  elseif(NOT APPLE)
    # Hidden visibility covers the panel's own code; the version script also hides what static libraries
    # and the standard library's weak template instances would export. --no-undefined turns a missing
    # definition into a link error instead of a load failure in the host.
    set(map ${ORVO_PANEL_SUPPORT_DIR}/orvo_panel_exports.map)
    target_link_options(${name} PRIVATE "LINKER:--version-script=${map}" "LINKER:--no-undefined")
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()

function(orvo_add_panel_test name)
  cmake_parse_arguments(TEST "" "PANEL" "SOURCES" ${ARGN})
  if(NOT TEST_PANEL OR NOT TEST_SOURCES OR TEST_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvo_add_panel_test(${name}): use orvo_add_panel_test(<name> PANEL <panel> SOURCES <file>...)")
  endif()
  if(NOT TARGET orvo::panel_testing)
    message(FATAL_ERROR "orvo_add_panel_test(${name}): orvo::panel_testing is missing; "
                        "the SDK finds it only when GoogleTest is found (find_package(GTest))")
  endif()
  if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    message(STATUS "orvo_add_panel_test(${name}): 32-bit Windows code does not run here; "
                   "the 64-bit Windows build runs these tests under Wine")
    return()
  endif()
  add_executable(${name} ${TEST_SOURCES})
  target_link_libraries(${name} PRIVATE ${TEST_PANEL}_code orvo::panel_testing GTest::gtest_main)
  if(ORVO_PANEL_WERROR OR ORVO_WERROR)
    target_compile_options(${name} PRIVATE $<IF:$<CXX_COMPILER_ID:MSVC>,/WX,-Werror>)
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

function(orvo_add_scenario_test name)
  cmake_parse_arguments(TEST "" "PANEL;SITE;SCENARIO" "" ${ARGN})
  if(NOT TEST_PANEL OR NOT TEST_SITE OR NOT TEST_SCENARIO OR TEST_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvo_add_scenario_test(${name}): use "
                        "orvo_add_scenario_test(<name> PANEL <panel> SITE <file> SCENARIO <file>)")
  endif()
  if(WIN32 AND NOT TARGET orvo::panel_host AND NOT TARGET panel_host)
    message(STATUS "orvo_add_scenario_test(${name}): the SDK has no host emulator for this Windows "
                   "build; the Linux build (and the 64-bit Windows one, under Wine) plays this scenario")
    return()
  endif()
  _orvo_panel_host("orvo_add_scenario_test(${name})" host)
  get_filename_component(site "${TEST_SITE}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(scenario "${TEST_SCENARIO}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${host} $<TARGET_FILE:${TEST_PANEL}> ${site} ${scenario})
  # The emulator built in the same tree has the same flags as the panel; the installed one has none.
  if(host STREQUAL "orvo::panel_host")
    _orvo_asan_runtime(${TEST_PANEL} runtime)
    if(runtime)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "LD_PRELOAD=${runtime}")
    endif()
  endif()
endfunction()

function(orvo_add_dll_check name)
  cmake_parse_arguments(CHECK "" "PANEL" "" ${ARGN})
  if(NOT CHECK_PANEL OR CHECK_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvo_add_dll_check(${name}): use orvo_add_dll_check(<name> PANEL <panel>)")
  endif()
  if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  get_target_property(version ${CHECK_PANEL} ORVO_PANEL_VERSION)
  if(NOT version)
    message(FATAL_ERROR "orvo_add_dll_check(${name}): ${CHECK_PANEL} is not a panel of orvo_add_panel")
  endif()
  # The version block shows the four numbers as "1, 0, 0, 1".
  string(REPLACE "." ", " version "${version}")
  add_test(NAME ${name} COMMAND ${ORVO_PANEL_SUPPORT_DIR}/orvo_check_dll.sh $<TARGET_FILE:${CHECK_PANEL}> "${version}")
endfunction()

# The SDK's emulator into <out>: orvo::panel_host, or inside the SDK's own build the target of the same
# name. <caller> names the function in the error when the SDK was installed without it.
function(_orvo_panel_host caller out)
  if(TARGET orvo::panel_host)
    set(${out} orvo::panel_host PARENT_SCOPE)
  elseif(TARGET panel_host)
    set(${out} panel_host PARENT_SCOPE)
  else()
    message(FATAL_ERROR "${caller}: the SDK was installed without panel_host")
  endif()
endfunction()

# The ASan runtime to preload into an uninstrumented emulator, when <panel> is built with AddressSanitizer;
# empty otherwise. The panel's own flags and its code library's are read at configure time.
function(_orvo_asan_runtime panel out)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
  set(flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${config}} ${CMAKE_SHARED_LINKER_FLAGS} ${CMAKE_MODULE_LINKER_FLAGS}")
  foreach(target ${panel} ${panel}_code)
    foreach(property COMPILE_OPTIONS LINK_OPTIONS)
      get_target_property(options ${target} ${property})
      if(options)
        string(APPEND flags " ${options}")
      endif()
    endforeach()
  endforeach()
  set(${out} "" PARENT_SCOPE)
  if(NOT flags MATCHES "-fsanitize=[^ ;]*address" OR WIN32 OR APPLE)
    return()
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(library "libclang_rt.asan-${CMAKE_SYSTEM_PROCESSOR}.so")
  else()
    set(library "libasan.so")
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
    OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed OR NOT IS_ABSOLUTE "${runtime}" OR NOT EXISTS "${runtime}")
    message(FATAL_ERROR "orvo_add_scenario_test: ${panel} is built with AddressSanitizer, but "
                        "${CMAKE_CXX_COMPILER} does not name its runtime ${library} to preload into panel_host")
  endif()
  # The real file, so the preload does not depend on a development symlink.
  get_filename_component(runtime "${runtime}" REALPATH)
  set(${out} "${runtime}" PARENT_SCOPE)
endfunction()
