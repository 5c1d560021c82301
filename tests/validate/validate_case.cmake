cmake_minimum_required(VERSION 3.25)
# One run of panel_host --validate for the table in CMakeLists.txt. Fails unless the exit status is
# STATUS, the terminal report matches EXPECT, DIR/junit.xml matches JUNIT and DIR/report.json matches
# JSON (each when given). With REPLAY, the scenario the validator wrote for that check is then played by
# panel_host and must end with REPLAY_STATUS and output matching REPLAY_EXPECT. OPTIONS is a list joined
# by '|'; ONLY, when given, is --only's regex.
file(REMOVE_RECURSE ${DIR})
string(REPLACE "|" ";" options "${OPTIONS}")
if(ONLY)
  list(APPEND options --only "${ONLY}")
endif()
execute_process(COMMAND ${EMULATOR} ${PANEL_HOST} --validate ${options} --report-dir ${DIR} ${LIBRARY} ${SITE}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${out}\nstderr:\n${err}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "the report does not match \"${EXPECT}\"\n${out}\nstderr:\n${err}")
endif()
if(JUNIT)
  file(READ ${DIR}/junit.xml junit)
  if(NOT junit MATCHES "${JUNIT}")
    message(FATAL_ERROR "junit.xml does not match \"${JUNIT}\"\n${junit}")
  endif()
endif()
if(JSON)
  file(READ ${DIR}/report.json report)
  if(NOT report MATCHES "${JSON}")
    message(FATAL_ERROR "report.json does not match \"${JSON}\"\n${report}")
  endif()
endif()
if(REPLAY)
  file(READ ${DIR}/${REPLAY}.scenario scenario)
  execute_process(COMMAND ${EMULATOR} ${PANEL_HOST} ${LIBRARY} ${SITE} ${DIR}/${REPLAY}.scenario
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status STREQUAL "${REPLAY_STATUS}" OR NOT "${out}${err}" MATCHES "${REPLAY_EXPECT}")
    message(FATAL_ERROR "the replay of ${REPLAY}.scenario ended with ${status}, expected ${REPLAY_STATUS} "
      "and \"${REPLAY_EXPECT}\"\n${scenario}\n${out}\nstderr:\n${err}")
  endif()
endif()
