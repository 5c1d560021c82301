# Builds TARGET in BUILD_DIR and passes only when the build fails with output matching EXPECT.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "${TARGET} built, but its mistake must stop the build")
endif()
if(NOT output MATCHES "${EXPECT}")
  message(FATAL_ERROR "${TARGET} failed, but not for the mistake it holds:\n${output}")
endif()
message(STATUS "${TARGET} stopped at build time as it should")
