#!/usr/bin/env bash
# Checks a 32-bit panel DLL as the host will meet it; installed with the SDK, so any panel's DLL can be
# checked (orvo_add_dll_check declares it as a CTest test).
# Usage: orvo_check_dll.sh DLL [VERSION]
#   DLL      the panel's DLL; its internal name is the file name without .dll
#   VERSION  file and product version as the version block shows it, default "1, 0, 0, 1"
#
# What it proves, each with i686-w64-mingw32-objdump or -windres (Debian: binutils-mingw-w64-i686), and
# the one line it prints when that is wrong:
#   - a PE32 DLL for i386;
#   - its only export is load_orvo_client_script, undecorated ("extra export");
#   - it imports from system DLLs only, no libstdc++, libgcc or winpthread DLL beside it ("not part of
#     Windows");
#   - the version block: file and product version, internal name, UK English with the Unicode code page
#     ("no version block" when there is none);
#   - the script interface is __thiscall, as a Microsoft-built host calls it: notify (two arguments) and
#     the scalar deleting destructor (one) take `this` in ECX and remove their arguments on return
#     ("not __thiscall").
# It never changes the DLL. Status 0 when every check passed, 1 when one failed, 2 without a DLL.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 DLL [VERSION]" >&2
  exit 2
fi
dll="$1"
version="${2:-1, 0, 0, 1}"
name="$(basename "$dll" .dll)"
objdump=i686-w64-mingw32-objdump
windres=i686-w64-mingw32-windres

failures=0
pass() { echo "ok    $*"; }
fail() { echo "FAIL  $*"; failures=$((failures + 1)); }

if [ ! -f "$dll" ]; then
  echo "no DLL at $dll" >&2
  exit 2
fi
headers="$($objdump -p "$dll" 2>&1 || true)"

# --- PE32 for i386 ---------------------------------------------------------------------------------
if grep -q "file format pei-i386" <<<"$headers" && grep -qE "^Magic[[:space:]]+010b[[:space:]]+\(PE32\)" <<<"$headers"; then
  pass "PE32 image for i386"
else
  fail "not a PE32 image for i386: $(grep -m1 'file format' <<<"$headers")"
fi
if grep -qE "^[[:space:]]+DLL$" <<<"$headers"; then
  pass "marked as a DLL"
else
  fail "not marked as a DLL"
fi

# --- exports ---------------------------------------------------------------------------------------
exports="$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
  sed -nE 's/^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+(.+)$/\1/p')"
if [ "$exports" = "load_orvo_client_script" ]; then
  pass "only export: load_orvo_client_script"
else
  extra="$(grep -vx load_orvo_client_script <<<"$exports" | tr '\n' ' ' | sed 's/ $//' || true)"
  if [ -z "$exports" ]; then
    fail "no export: the host finds the panel through load_orvo_client_script"
  elif [ -n "$extra" ]; then
    fail "extra export [$extra]: the host expects load_orvo_client_script alone"
  else
    fail "exports [$(tr '\n' ' ' <<<"$exports")], expected only load_orvo_client_script"
  fi
fi

# --- imports ---------------------------------------------------------------------------------------
# The DLLs every Windows machine has; anything else would have to be shipped beside the panel.
imports="$(sed -nE 's/^[[:space:]]*DLL Name: (.+)$/\1/p' <<<"$headers")"
foreign=""
for import in $imports; do
  case "$(tr '[:upper:]' '[:lower:]' <<<"$import")" in
    kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll | user32.dll | advapi32.dll) ;;
    *) foreign="$foreign $import" ;;
  esac
done
if [ -z "$imports" ]; then
  fail "no import table found"
elif [ -z "$foreign" ]; then
  pass "imports only system DLLs: $(tr '\n' ' ' <<<"$imports")"
else
  fail "imports DLLs that are not part of Windows:$foreign (link the MinGW runtime statically)"
fi

# --- version block ---------------------------------------------------------------------------------
block="$($windres -J coff -O rc -i "$dll" 2>/dev/null || true)"
version_check() {
  local what="$1" pattern="$2"
  if grep -qF -- "$pattern" <<<"$block"; then
    pass "version block: $what"
  else
    fail "version block: $what (no line $pattern)"
  fi
}
if ! grep -q "VERSIONINFO" <<<"$block"; then
  fail "no version block: the host and Explorer show the panel's version from it"
else
  version_check "file version" "FILEVERSION $version"
  version_check "product version" "PRODUCTVERSION $version"
  version_check "UK English, Unicode strings" 'BLOCK "080904b0"'
  version_check "file version text" "VALUE \"FileVersion\", \"$version\""
  version_check "product version text" "VALUE \"ProductVersion\", \"$version\""
  version_check "internal name" "VALUE \"InternalName\", \"$name\""
  version_check "translation" 'VALUE "Translation", 0x809, 1200'
fi

# --- calling convention ----------------------------------------------------------------------------
# Every return of a __thiscall function removes its stack arguments: "ret $0x8" for notify(data, kind),
# "ret $0x4" for the scalar deleting destructor(flags). A plain "ret" would leave them to a host that
# never removes them.
returns_of() {
  $objdump -d --no-show-raw-insn --disassemble="$1" "$dll" |
    sed -nE 's/^[[:space:]]*[0-9a-f]+:[[:space:]]+(ret[^<]*)$/\1/p' | sed -E 's/[[:space:]]+/ /g; s/ $//' | sort -u
}
thiscall_check() {
  local what="$1" symbol="$2" expected="$3" found
  found="$(returns_of "$symbol" | tr '\n' ' ' | sed 's/ $//')"
  if [ -z "$found" ]; then
    fail "$what: no symbol $symbol to disassemble (check the DLL before it is stripped)"
  elif [ "$found" = "$expected" ]; then
    pass "$what returns with $expected (__thiscall)"
  else
    fail "$what returns with [$found], expected $expected: not __thiscall (a __cdecl or __stdcall slot)"
  fi
}
# Every script class's notify in the DLL: the helper's in a panel built on it, a module's own (the
# recorder's) where it has one.
notify_symbols="$($objdump -t "$dll" | sed -nE 's/^.* (__ZN[0-9A-Za-z_]+6notifyEPvi)$/\1/p' | sort -u)"
for symbol in ${notify_symbols:-__ZN18orvo_script_helper6notifyEPvi}; do
  thiscall_check "notify" "$symbol" 'ret $0x8'
done
thiscall_check "scalar deleting destructor" "__ZN20orvo_client_callback24scalarDeletingDestructorEj" 'ret $0x4'

if [ "$failures" -ne 0 ]; then
  echo "$dll: $failures check(s) failed"
  exit 1
fi
echo "$dll: all checks passed"
