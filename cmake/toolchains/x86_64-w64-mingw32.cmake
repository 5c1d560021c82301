# 64-bit Windows, built with MinGW-w64 and run under Wine.
#
# This target runs the suite and the Windows host tests on the Windows code paths: OutputDebugStringA,
# LoadLibrary/GetProcAddress and the Microsoft vtable layout of the script interface. The posix thread
# model is used because GoogleTest needs std::mutex, which this compiler has only there; the library
# starts no thread, and the static link below keeps winpthread inside each program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program and DLL carries its own libgcc, libstdc++ and winpthread, so it needs nothing beside it
# but the system DLLs: that is what a host machine has, and what Wine provides.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# The wrapper finds Wine's 64-bit launcher and keeps Wine's own chatter off unless WINEDEBUG asks for it.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/cross/wine-run.sh)
