# Fails unless the module's only defined dynamic symbol is load_orvo_client_script.
# Usage: cmake -DNM=<nm> -DMODULE=<Corvane.so> -P check_exports.cmake
execute_process(
  COMMAND ${NM} -D --defined-only --format=posix ${MODULE}
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE problems
  RESULT_VARIABLE status
)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}: ${problems}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(names "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ ]+) ")
    list(APPEND names "${CMAKE_MATCH_1}")
  endif()
endforeach()

if(NOT names STREQUAL "load_orvo_client_script")
  message(FATAL_ERROR "${MODULE} exports [${names}], expected only load_orvo_client_script")
endif()
message(STATUS "${MODULE} exports only load_orvo_client_script")
