# 32-bit x86 Linux, built with Debian's cross compiler and run under qemu-user.
#
# This target exists to run the whole suite with 4-byte pointers, where the host records have the layouts
# a 32-bit host passes. Programs stay dynamically linked, as the host process that opens Corvane.so is;
# a dynamically linked i386 program that forks hangs under this qemu-user, so nothing run here may fork
# (no death tests).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -L gives qemu the target's dynamic loader and libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386;-L;/usr/i686-linux-gnu)
