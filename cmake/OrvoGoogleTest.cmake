# GoogleTest for the panel test kit and the test suite, set up once per build: Debian's package, or
# (ORVO_GTEST_FROM_SOURCE, for cross builds, which have no GoogleTest for their target) built from the
# Debian source with the project's compiler. Either way GTest::gtest and GTest::gtest_main exist after
# this when GoogleTest was found, in every folder of the build.
include_guard(GLOBAL)

option(ORVO_GTEST_FROM_SOURCE "Build GoogleTest from source with the project's compiler" OFF)
set(ORVO_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source for ORVO_GTEST_FROM_SOURCE")
if(ORVO_GTEST_FROM_SOURCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${ORVO_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest GLOBAL)
endif()
