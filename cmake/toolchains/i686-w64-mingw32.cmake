# 32-bit Windows, built with MinGW-w64: the shipping Corvane.dll, the one a 32-bit host loads.
#
# Nothing built here runs on this machine; the DLL is checked with scripts/cross/check-dll.sh. The win32
# thread model is used because nothing here starts a thread, and it brings no winpthread DLL along.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ORVO_MINGW_TRIPLET i686-w64-mingw32)
set(ORVO_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
