#!/usr/bin/env bash
# Installs, when missing, the Debian packages one cross target needs.
# Usage: scripts/cross/install.sh TARGET...   (TARGET: i386, win64, win32dll or all)
#
#   i386      32-bit x86 Linux compiler and qemu-user, to run the suite with 4-byte pointers
#   win64     64-bit MinGW compiler and Wine, to run the suite and the Windows host tests
#   win32dll  32-bit MinGW compiler and binutils, to build and check the shipping DLL
#
# Never adds the i386 dpkg architecture and never installs gcc-multilib: the first breaks the 64-bit Wine
# launcher, the second removes the cross compilers.
set -euo pipefail

packages=(cmake googletest)
for target in "$@"; do
  case "$target" in
    i386) packages+=(crossbuild-essential-i386 qemu-user) ;;
    win64) packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64) ;;
    win32dll) packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686) ;;
    all) packages+=(crossbuild-essential-i386 qemu-user g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
                    wine64 g++-mingw-w64-i686 binutils-mingw-w64-i686) ;;
    *) echo "unknown target '$target' (i386, win64, win32dll, all)" >&2; exit 2 ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: $0 i386|win64|win32dll|all..." >&2
  exit 2
fi

exec "$(dirname "$0")/../apt-install-missing.sh" "${packages[@]}"
