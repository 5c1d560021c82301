# What both MinGW-w64 toolchains share. The including file sets ORVO_MINGW_TRIPLET (the compiler's prefix,
# e.g. x86_64-w64-mingw32), ORVO_MINGW_THREADS (posix or win32) and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ORVO_MINGW_TRIPLET}-gcc-${ORVO_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${ORVO_MINGW_TRIPLET}-g++-${ORVO_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${ORVO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program and DLL carries its own libgcc and libstdc++ (and winpthread with the posix model), so it
# needs nothing beside it but the system DLLs: that is what a host machine has, and what Wine provides.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# No link time in the PE header: two links of one commit give the same file, so its checksum names the
# release, not one build of it.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")
string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")
string(APPEND CMAKE_MODULE_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")

# Installed with the SDK, this folder sits inside the SDK's CMake package, which the find root above
# would hide: find_package(OrvoPanelSDK) takes the package these toolchain files came with.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/../OrvoPanelSDKConfig.cmake)
  get_filename_component(OrvoPanelSDK_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
  set(OrvoPanelSDK_DIR ${OrvoPanelSDK_DIR} CACHE PATH "The Orvo panel SDK's CMake package")
endif()
