# 64-bit Windows, built with MinGW-w64 and run under Wine.
#
# This target runs the suite and the Windows host tests on the Windows code paths: OutputDebugStringA,
# LoadLibrary/GetProcAddress and the Microsoft vtable layout of the script interface. The posix thread
# model is used because GoogleTest needs std::mutex, which this compiler has only there; the library
# starts no thread, and the static link keeps winpthread inside each program.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ORVO_MINGW_TRIPLET x86_64-w64-mingw32)
set(ORVO_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The wrapper finds Wine's 64-bit launcher and keeps Wine's own chatter off unless WINEDEBUG asks for it.
# The SDK installs it beside this file; in the SDK's own sources it is a script of the project.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/cross/wine-run.sh)
endif()
