cmake_minimum_required(VERSION 3.25)
# One run for the authors' mistakes table: COMMAND (joined by '|') must end with STATUS ("nonzero" for any
# failure, a signal included) and print, on standard output or error, text matching EXPECT.
string(REPLACE "|" ";" command "${COMMAND}")
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(STATUS STREQUAL "nonzero" AND status STREQUAL "0")
  message(FATAL_ERROR "exit status 0, expected a failure\n${out}\nstderr:\n${err}")
elseif(NOT STATUS STREQUAL "nonzero" AND NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${out}\nstderr:\n${err}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "the output does not match \"${EXPECT}\"\n${out}\nstderr:\n${err}")
endif()
