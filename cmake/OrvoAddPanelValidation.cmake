# orvo_add_panel_validation(<name> PANEL <panel> [SITE <file>] [LEVEL <n>])
#
#   A CTest test that holds the built module of <panel> to the whole host contract with the SDK's host
#   emulator: `panel_host --validate` (named checks, each in a child process, seeded storms). It passes
#   when every check passed or was skipped. SITE (taken from the current source folder when relative)
#   gives the storms the panel's layouts, instances and slots; without it the checks that need them are
#   skipped. LEVEL 1 to 10 (default 5) sets how long the storms run. The reports, JUnit XML for CI and
#   report.json, and a scenario for each failure that replays it, go to
#   <binary folder>/validation/<name>/.
include_guard(GLOBAL)

function(orvo_add_panel_validation name)
  cmake_parse_arguments(CHECK "" "PANEL;SITE;LEVEL" "" ${ARGN})
  if(NOT CHECK_PANEL OR CHECK_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvo_add_panel_validation(${name}): use "
                        "orvo_add_panel_validation(<name> PANEL <panel> [SITE <file>] [LEVEL <n>])")
  endif()
  if(NOT CHECK_LEVEL)
    set(CHECK_LEVEL 5)
  endif()
  if(NOT CHECK_LEVEL MATCHES "^([1-9]|10)$")
    message(FATAL_ERROR "orvo_add_panel_validation(${name}): LEVEL is a number from 1 to 10, not ${CHECK_LEVEL}")
  endif()
  if(WIN32 AND NOT TARGET panel_host)
    message(STATUS "orvo_add_panel_validation(${name}): the validation runs in the Linux build, where each "
                   "check has a process of its own")
    return()
  endif()
  # OrvoAddPanel.cmake, which the package includes first, finds the emulator and the ASan runtime.
  _orvo_panel_host("orvo_add_panel_validation(${name})" host)
  set(site "")
  if(CHECK_SITE)
    get_filename_component(site "${CHECK_SITE}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  add_test(NAME ${name}
    COMMAND ${host} --validate --level ${CHECK_LEVEL} --report-dir ${CMAKE_CURRENT_BINARY_DIR}/validation/${name}
      $<TARGET_FILE:${CHECK_PANEL}> ${site})
  # Each check has 10 s (more above level 5); fifteen of them, and their shrinking, fit well in this.
  math(EXPR limit "300 * (${CHECK_LEVEL} + 4) / 5")
  set_tests_properties(${name} PROPERTIES TIMEOUT ${limit})
  # A panel built with AddressSanitizer needs its runtime first in the installed (uninstrumented)
  # emulator, as its scenario test does (OrvoAddPanel.cmake).
  if(host STREQUAL "orvo::panel_host")
    _orvo_asan_runtime(${CHECK_PANEL} runtime)
    if(runtime)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "LD_PRELOAD=${runtime}")
    endif()
  endif()
endfunction()
