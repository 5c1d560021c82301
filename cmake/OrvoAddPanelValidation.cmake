# orvo_add_panel_validation(<name> PANEL <panel> [SITE <file>] [LEVEL <n>] [SCENARIOS <path>...]
#                           [SKIP <check>=<reason>...] [MIN_COVERAGE <percent>] [NOT_STRICT]
#                           [NO_SANITIZERS <reason>])
#
#   A CTest test that holds the built module of <panel> to the whole host contract with the SDK's host
#   emulator: `panel_host --validate` (named checks, each in a child process, seeded storms). It runs with
#   --strict unless NOT_STRICT is given: a check skipped for any reason but the level or a SKIP fails it,
#   so it never passes without having tested. SITE (taken from the current source folder when relative)
#   gives the storms the panel's layouts, instances and slots. LEVEL 1 to 10 (default 5) sets how long the
#   storms run. SCENARIOS (files, or folders of *.scenario files, relative to the current source folder)
#   are the author's own: each replays first as a check of its own, and the storms learn their requests,
#   texts and states; a folder of the scenarios the validator wrote for past failures makes a regression
#   folder. SKIP leaves a check out with the reason the reports show. MIN_COVERAGE fails a run that
#   reached less of what the panel set up. The reports (JUnit XML, report.json, a scenario for each
#   failure) go to <binary folder>/validation/<name>/.
#
#   A second test, <name>.Sanitized, validates the same sources built with AddressSanitizer and
#   UndefinedBehaviorSanitizer (a stack or heap overflow in the panel's own buffers is then caught, and the
#   report names the sanitizer's finding), on
#   GCC and Clang for Linux, unless NO_SANITIZERS gives the reason not to, or the panel is already built
#   with AddressSanitizer (its one test is then the sanitized one). A sanitized build runs slower: its
#   limits are three times the plain ones; PANEL_HOST_TIME_SCALE in the environment scales every run.
include_guard(GLOBAL)

# The AddressSanitizer runtime of this compiler, to preload into an emulator that is not instrumented.
function(_orvo_sanitizer_runtime out)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(library "libclang_rt.asan-${CMAKE_SYSTEM_PROCESSOR}.so")
  else()
    set(library "libasan.so")
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
    OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed OR NOT IS_ABSOLUTE "${runtime}" OR NOT EXISTS "${runtime}")
    set(runtime "")
  else()
    get_filename_component(runtime "${runtime}" REALPATH)
  endif()
  set(${out} "${runtime}" PARENT_SCOPE)
endfunction()

# The validation test of one built module. `runtime`: the ASan runtime the module needs first in the
# emulator, or "" for a plain module.
function(_orvo_validation_test name panel host site runtime)
  set(sanitized OFF)
  if(runtime)
    set(sanitized ON)
  endif()
  set(args --validate --level ${CHECK_LEVEL} --report-dir ${CMAKE_CURRENT_BINARY_DIR}/validation/${name})
  if(NOT CHECK_NOT_STRICT)
    list(APPEND args --strict)
  endif()
  if(CHECK_MIN_COVERAGE)
    list(APPEND args --min-coverage ${CHECK_MIN_COVERAGE})
  endif()
  foreach(skip ${CHECK_SKIP})
    list(APPEND args --skip "${skip}")
  endforeach()
  foreach(path ${CHECK_SCENARIOS})
    get_filename_component(path "${path}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND args --scenarios "${path}")
  endforeach()
  if(sanitized)
    list(APPEND args --time-scale 3
      --skip "resources.no_growth=the sanitizer's allocator hides the live heap, the plain build measures it")
  endif()
  add_test(NAME ${name} COMMAND ${host} ${args} $<TARGET_FILE:${panel}> ${site})
  # Each check has 10 s a step (more above level 5); fifteen of them, and their shrinking, fit well in this.
  math(EXPR limit "300 * (${CHECK_LEVEL} + 4) / 5")
  if(sanitized)
    math(EXPR limit "${limit} * 3")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${limit})
  if(runtime)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "LD_PRELOAD=${runtime}")
  endif()
endfunction()

function(orvo_add_panel_validation name)
  cmake_parse_arguments(CHECK "NOT_STRICT" "PANEL;SITE;LEVEL;MIN_COVERAGE;NO_SANITIZERS" "SCENARIOS;SKIP" ${ARGN})
  if(NOT CHECK_PANEL OR CHECK_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "orvo_add_panel_validation(${name}): use "
                        "orvo_add_panel_validation(<name> PANEL <panel> [SITE <file>] [LEVEL <n>] "
                        "[SCENARIOS <path>...] [SKIP <check>=<reason>...] [MIN_COVERAGE <percent>] "
                        "[NOT_STRICT] [NO_SANITIZERS <reason>])")
  endif()
  if(NOT CHECK_LEVEL)
    set(CHECK_LEVEL 5)
  endif()
  if(NOT CHECK_LEVEL MATCHES "^([1-9]|10)$")
    message(FATAL_ERROR "orvo_add_panel_validation(${name}): LEVEL is a number from 1 to 10, not ${CHECK_LEVEL}")
  endif()
  if(CHECK_MIN_COVERAGE AND NOT CHECK_MIN_COVERAGE MATCHES "^([0-9]|[1-9][0-9]|100)$")
    message(FATAL_ERROR "orvo_add_panel_validation(${name}): MIN_COVERAGE is a percentage, not ${CHECK_MIN_COVERAGE}")
  endif()
  foreach(skip ${CHECK_SKIP})
    if(NOT skip MATCHES "^[a-z_.]+=.")
      message(FATAL_ERROR "orvo_add_panel_validation(${name}): SKIP takes <check>=<reason>, not ${skip}")
    endif()
  endforeach()
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
  # A panel built with AddressSanitizer needs its runtime first in the installed (uninstrumented)
  # emulator, as its scenario test does (OrvoAddPanel.cmake).
  set(alreadySanitized "")
  if(TARGET ${CHECK_PANEL}_code)
    _orvo_asan_runtime(${CHECK_PANEL} alreadySanitized)
  endif()
  set(preload "")
  if(host STREQUAL "orvo::panel_host")
    set(preload "${alreadySanitized}")
  endif()
  _orvo_validation_test(${name} ${CHECK_PANEL} "${host}" "${site}" "${preload}")

  if(alreadySanitized OR DEFINED CHECK_NO_SANITIZERS OR NOT TARGET ${CHECK_PANEL}_code OR WIN32 OR APPLE
     OR CMAKE_CROSSCOMPILING OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
  endif()
  # The same sources and libraries as the panel, instrumented; built with the tests.
  set(twin ${CHECK_PANEL}_sanitized)
  if(NOT TARGET ${twin})
    get_target_property(sources ${CHECK_PANEL}_code SOURCES)
    get_target_property(folder ${CHECK_PANEL}_code SOURCE_DIR)
    set(absolute "")
    foreach(source ${sources})
      get_filename_component(source "${source}" ABSOLUTE BASE_DIR ${folder})
      list(APPEND absolute "${source}")
    endforeach()
    get_target_property(entry ${CHECK_PANEL} SOURCES)
    add_library(${twin} MODULE ${absolute} ${entry})
    target_link_libraries(${twin} PRIVATE $<TARGET_PROPERTY:${CHECK_PANEL}_code,LINK_LIBRARIES>)
    target_compile_options(${twin} PRIVATE $<TARGET_PROPERTY:${CHECK_PANEL}_code,COMPILE_OPTIONS>
      -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_compile_definitions(${twin} PRIVATE $<TARGET_PROPERTY:${CHECK_PANEL}_code,COMPILE_DEFINITIONS>)
    target_include_directories(${twin} PRIVATE $<TARGET_PROPERTY:${CHECK_PANEL}_code,INCLUDE_DIRECTORIES>)
    target_link_options(${twin} PRIVATE -fsanitize=address,undefined)
    set_target_properties(${twin} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
      POSITION_INDEPENDENT_CODE ON)
  endif()
  # The emulator is not instrumented: the runtime goes first.
  _orvo_sanitizer_runtime(runtime)
  if(NOT runtime)
    message(FATAL_ERROR "orvo_add_panel_validation(${name}): ${CMAKE_CXX_COMPILER} names no AddressSanitizer "
                        "runtime to preload for the sanitized validation; NO_SANITIZERS <reason> leaves it out")
  endif()
  _orvo_validation_test(${name}.Sanitized ${twin} "${host}" "${site}" "${runtime}")
endfunction()
