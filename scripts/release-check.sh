#!/usr/bin/env bash
# Checks the release scripts/release.sh left in dist/ as its users meet it:
#   - every file matches SHA256SUMS, and the four files carry one version;
#   - the .deb, unpacked into a scratch root (dpkg -x), declares its runtime dependencies and recommends
#     GoogleTest, ships the guides and the API reference, its panel_host prints that version and plays the
#     demo scenario against the installed Corvane.so and demo site; the panel template of the source
#     release builds against that root alone, runs its tests and plays its scenario in the root's
#     panel_host, and gdb finds the helper's sources under the root from the template's module;
#     scripts/sdk-mistakes.sh, where it exists, is run on the root;
#   - the panel template the .deb ships, built for Windows against the root with the toolchain files it
#     ships: the 32-bit DLL passes its DLL checks (its CTest test), a second build in another folder gives
#     the same bytes, and its plant zip holds the DLL and a README.txt with the DLL's checksum; the 64-bit
#     build runs the template's kit tests and its scenario (in the package's panel_host.exe) under Wine;
#   - the zip holds Corvane.dll, PanelRecorder.dll, README.txt and LICENSE.txt, and the DLLs pass
#     scripts/cross/check-dll.sh;
#   - the release is reproducible: HEAD is released a second time, in another folder, by another user
#     (when run as root), with another umask, time zone and locale, with the clock a year and more ahead,
#     and its SHA256SUMS must equal dist/'s; diffoscope shows what differs in each differing file.
# dist/ must come from HEAD (release.sh, then this). Installs what it needs first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
dist="$root/dist"
work="$root/build/release-check"

failures=0
pass() { echo "ok    $*"; }
fail() { echo "FAIL  $*"; failures=$((failures + 1)); }

scripts/install-deps.sh binutils-mingw-w64-i686 unzip gdb diffoscope-minimal faketime strip-nondeterminism
scripts/cross/install.sh win32dll win64

name="orvo-panel-sdk"
deb="$(find "$dist" -maxdepth 1 -name "${name}_*.deb" -print -quit 2>/dev/null)"
if [ -z "$deb" ] || [ ! -f "$dist/SHA256SUMS" ]; then
  echo "release-check.sh: no release in $dist (make one with scripts/release.sh)" >&2
  exit 2
fi
version="$(dpkg-deb -f "$deb" Version)"
echo "== release $version in $dist"
rm -rf "$work"
mkdir -p "$work"

echo "== checksums and names"
if (cd "$dist" && sha256sum -c --strict SHA256SUMS); then
  pass "sha256sum -c SHA256SUMS"
else
  fail "sha256sum -c SHA256SUMS"
fi
for file in "$name-$version.tar.gz" "${name}_${version}_$(dpkg --print-architecture).deb" \
            "Corvane-$version-win32.zip"; do
  if grep -qE "^[0-9a-f]{64}  $file\$" "$dist/SHA256SUMS"; then
    pass "$file is in SHA256SUMS"
  else
    fail "$file is not in SHA256SUMS (or carries another version than the .deb's $version)"
  fi
done

echo "== the Debian package in a scratch root"
sysroot="$work/root"
dpkg -x "$deb" "$sysroot"
depends="$(dpkg-deb -f "$deb" Depends)"
if grep -q 'libc6' <<<"$depends" && grep -q 'libstdc++6' <<<"$depends"; then
  pass "declares its runtime dependencies: $depends"
else
  fail "runtime dependencies missing from Depends: [$depends]"
fi
if grep -q 'libgtest-dev' <<<"$(dpkg-deb -f "$deb" Depends Recommends)"; then
  pass "depends on or recommends libgtest-dev (orvo_add_panel_test)"
else
  fail "neither Depends nor Recommends names libgtest-dev"
fi
docdir="$sysroot/usr/share/doc/$name"
for doc in README.md panel-authors.md panel_host.md workbench.md workbench.png validator.md recorder.md api/html/index.html; do
  if [ -s "$docdir/$doc" ]; then
    pass "ships /usr/share/doc/$name/$doc"
  else
    fail "does not ship /usr/share/doc/$name/$doc"
  fi
done
panel_host="$sysroot/usr/bin/panel_host"
if [ "$("$panel_host" --version)" = "panel_host $version" ]; then
  pass "panel_host --version prints panel_host $version"
else
  fail "panel_host --version prints [$("$panel_host" --version 2>&1 || true)], expected [panel_host $version]"
fi
corvane="$(find "$sysroot/usr/lib" -path '*/orvo/panels/Corvane.so' -print -quit)"
demo="$sysroot/usr/share/$name/demo"
if [ -n "$corvane" ] &&
   "$panel_host" "$corvane" "$demo/site.json" "$demo/demo.scenario" >"$work/demo-scenario.log" 2>&1; then
  pass "the demo scenario plays in the root's panel_host against its Corvane.so and demo site"
else
  tail -20 "$work/demo-scenario.log" 2>/dev/null || true
  fail "the demo scenario does not play from the root (Corvane.so: [$corvane], demo: $demo)"
fi

echo "== the panel template of the source release, against the scratch root alone"
tar -xzf "$dist/$name-$version.tar.gz" -C "$work" "$name-$version/examples/panel_template"
template="$work/$name-$version/examples/panel_template"
# The package registry would let a stray installation in; the root is searched before the system.
if cmake -S "$template" -B "$template/build" -DCMAKE_PREFIX_PATH="$sysroot/usr" \
         -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DORVO_WERROR=ON >"$work/template-configure.log" 2>&1 &&
   cmake --build "$template/build" -j "$(nproc)" >"$work/template-build.log" 2>&1; then
  sdk_dir="$(sed -n 's/^OrvoPanelSDK_DIR:PATH=//p' "$template/build/CMakeCache.txt")"
  if [[ "$sdk_dir" == "$sysroot/usr/"* ]]; then
    pass "template built against $sdk_dir"
  else
    fail "template found the SDK at [$sdk_dir], not in the scratch root"
  fi
  if (cd "$template/build" && ctest --output-on-failure --no-tests=error -j "$(nproc)"); then
    pass "template tests (ctest)"
  else
    fail "template tests (ctest)"
  fi
  module="$(find "$template/build" -maxdepth 1 -name 'TemplatePanel.so' -print -quit)"
  if (cd "$template" && "$panel_host" "$module" site.json template.scenario >"$work/template-scenario.log" 2>&1); then
    pass "template scenario in the root's panel_host"
  else
    cat "$work/template-scenario.log"
    fail "template scenario in the root's panel_host"
  fi
  # An author with the package installed needs nothing here: the debug information names
  # /usr/share/<package>/src. Unpacked elsewhere, substitute-path points gdb at the root.
  helper_source="$sysroot/usr/share/$name/src/script_helper/orvo_script_helper.cpp"
  gdb -nx -batch -ex "set substitute-path /usr $sysroot/usr" -ex "list orvo_script_helper::notify" \
      -ex "info source" "$module" >"$work/gdb.log" 2>&1 || true
  if grep -qF "Located in $helper_source" "$work/gdb.log" && ! grep -q 'No such file' "$work/gdb.log"; then
    pass "gdb lists the helper's source from the template's module: $helper_source"
  else
    cat "$work/gdb.log"
    fail "gdb does not find the helper's source under the root from the template's module"
  fi
else
  cat "$work/template-configure.log" "$work/template-build.log" 2>/dev/null | tail -40
  fail "template does not build against the scratch root"
fi

if [ -x scripts/sdk-mistakes.sh ]; then
  echo "== panel authors' mistakes, built against the scratch root"
  if scripts/sdk-mistakes.sh "$sysroot/usr"; then
    pass "scripts/sdk-mistakes.sh catches every mistake panel"
  else
    fail "scripts/sdk-mistakes.sh"
  fi
fi

echo "== the template from the package, built for Windows against the scratch root"
sdk_cmake="$(find "$sysroot/usr/lib" -path '*/cmake/OrvoPanelSDK/OrvoPanelSDKConfig.cmake' -print -quit)"
toolchains="$(dirname "${sdk_cmake:-/none/x}")/toolchains"
# windows_build FOLDER TOOLCHAIN BUILD_TYPE: the installed template copied to FOLDER and built there.
windows_build() {
  rm -rf "$1"
  mkdir -p "$(dirname "$1")"
  cp -r "$docdir/panel_template" "$1"
  cmake -S "$1" -B "$1/build" --toolchain "$toolchains/$2.cmake" -DCMAKE_BUILD_TYPE="$3" \
        -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >"$1.log" 2>&1 &&
    cmake --build "$1/build" -j "$(nproc)" >>"$1.log" 2>&1
}
# The guide's Windows build lines name the package's toolchain folder and set a build type.
guide_toolchains="$(sed -n 's/^TOOLCHAINS=//p' "$docdir/panel-authors.md")"
if [ -n "$guide_toolchains" ] && [ -f "$sysroot$guide_toolchains/i686-w64-mingw32.cmake" ] &&
   grep -q -- "-B build-win32 -DCMAKE_BUILD_TYPE=Release --toolchain" "$docdir/panel-authors.md"; then
  pass "the guide's Windows build lines name the package's toolchains: $guide_toolchains"
else
  fail "the guide's TOOLCHAINS=[$guide_toolchains] is not the package's toolchain folder, or its lines set no build type"
fi
win32="$work/win32/TemplatePanel"
if windows_build "$win32" i686-w64-mingw32 Release; then
  pass "the template builds TemplatePanel.dll for 32-bit Windows from the root"
  if ctest --test-dir "$win32/build" --output-on-failure --no-tests=error -R DllChecks >"$work/win32-checks.log" 2>&1; then
    pass "TemplatePanel.dll passes its DLL checks (the template's CTest test)"
  else
    cat "$work/win32-checks.log"
    fail "TemplatePanel.dll fails its DLL checks"
  fi
  again_dir="$work/win32-again/elsewhere/TemplatePanel"
  if windows_build "$again_dir" i686-w64-mingw32 Release &&
     cmp "$win32/build/TemplatePanel.dll" "$again_dir/build/TemplatePanel.dll"; then
    pass "a second build in another folder gives the same TemplatePanel.dll, byte for byte"
  else
    fail "a second build of the template in another folder gives another TemplatePanel.dll"
  fi
  if cmake --build "$win32/build" --target plant_zip >"$work/win32-zip.log" 2>&1 &&
     unzip -p "$win32/build/TemplatePanel-1.0.0-win32.zip" TemplatePanel-1.0.0-win32/README.txt |
       grep -q "SHA-256 of TemplatePanel.dll: $(sha256sum "$win32/build/TemplatePanel.dll" | cut -d' ' -f1)"; then
    pass "the template's plant zip holds its DLL and a README.txt with the DLL's checksum"
  else
    cat "$work/win32-zip.log"
    fail "the template's plant zip"
  fi
else
  tail -40 "$win32.log"
  fail "the template does not build for 32-bit Windows from the root"
fi
win64="$work/win64/TemplatePanel"
scripts/cross/wine-run.sh --start-server
if windows_build "$win64" x86_64-w64-mingw32 Debug &&
   ctest --test-dir "$win64/build" -N | grep -q "TemplatePanel.Scenario" &&
   ctest --test-dir "$win64/build" --output-on-failure --no-tests=error >>"$win64.log" 2>&1; then
  pass "the template's kit tests and scenario build for 64-bit Windows from the root and pass under Wine"
else
  tail -40 "$win64.log"
  fail "the template's kit tests and scenario for 64-bit Windows under Wine"
fi
scripts/cross/wine-run.sh --stop-server

echo "== the plant's zip"
unzip -q "$dist/Corvane-$version-win32.zip" -d "$work/zip"
listing="$(cd "$work/zip" && find . -type f | sort | tr '\n' ' ')"
expected="./Corvane-$version-win32/Corvane.dll ./Corvane-$version-win32/LICENSE.txt ./Corvane-$version-win32/PanelRecorder.dll ./Corvane-$version-win32/README.txt "
if [ "$listing" = "$expected" ]; then
  pass "zip holds Corvane.dll, LICENSE.txt, PanelRecorder.dll, README.txt"
else
  fail "zip holds [$listing], expected [$expected]"
fi
zip_dir="$work/zip/Corvane-$version-win32"
if grep -q "SHA-256 of Corvane.dll: $(sha256sum "$zip_dir/Corvane.dll" | cut -d' ' -f1)" "$zip_dir/README.txt"; then
  pass "README.txt gives the DLL's checksum"
else
  fail "README.txt does not give the DLL's checksum"
fi
# A link time in the header would make every build of the DLL another file.
pe_time="$(TZ=UTC i686-w64-mingw32-objdump -p "$zip_dir/Corvane.dll" | sed -nE 's/^Time\/Date\t+//p' | head -n 1)"
if [ "$pe_time" = "Thu Jan  1 00:00:00 1970" ]; then
  pass "Corvane.dll's header carries no link time"
else
  fail "Corvane.dll's header carries the link time [$pe_time]"
fi
if scripts/cross/check-dll.sh "$zip_dir/Corvane.dll"; then
  pass "Corvane.dll passes check-dll.sh"
else
  fail "Corvane.dll fails check-dll.sh"
fi
if scripts/cross/check-dll.sh "$zip_dir/PanelRecorder.dll" >/dev/null &&
  grep -q "SHA-256 of PanelRecorder.dll: $(sha256sum "$zip_dir/PanelRecorder.dll" | cut -d' ' -f1)" "$zip_dir/README.txt"; then
  pass "PanelRecorder.dll passes check-dll.sh; README.txt gives its checksum"
else
  fail "PanelRecorder.dll fails check-dll.sh, or README.txt does not give its checksum"
fi

echo "== the release again, from HEAD: another folder, user, umask, time zone and locale, a year later"
# A fresh folder outside this checkout, which another user can own.
again="$(mktemp -d "${TMPDIR:-/tmp}/orvo-release-again.XXXXXX")"
trap 'rm -rf "$again"' EXIT
chmod 755 "$again"
clone="$again/checkout"
git clone -q --no-checkout "$root" "$clone"
git -C "$clone" checkout -q --detach "$(git rev-parse HEAD)"
mkdir -p "$again/home"
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  other_user=nobody
  chown -R nobody:"$(id -gn nobody)" "$again"
  as_other=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
else
  # Without root there is no other account to switch to; the user's name still differs.
  other_user=orvo-release-again
  as_other=()
fi
again_started=$SECONDS
if env -i PATH="$PATH" HOME="$again/home" USER="$other_user" LOGNAME="$other_user" TZ=Pacific/Chatham \
       LANG=C.UTF-8 LC_ALL=C.UTF-8 "${as_other[@]}" \
       bash -c 'cd "$1" && umask 077 && exec faketime -f +400d scripts/release.sh' _ "$clone" \
       >"$work/release-again.log" 2>&1; then
  echo "rebuilt as $other_user with umask 077 in $((SECONDS - again_started)) s"
  if cmp -s "$dist/SHA256SUMS" "$clone/dist/SHA256SUMS"; then
    pass "the rebuilt release has the same SHA256SUMS, byte for byte"
  else
    differing=0
    while read -r sum file; do
      if [ "$(sha256sum <"$clone/dist/$file" | cut -d' ' -f1)" != "$sum" ]; then
        echo "-- diffoscope $file (dist/ and the rebuild), its first 80 lines"
        timeout 900 diffoscope --text - "$dist/$file" "$clone/dist/$file" 2>&1 | head -n 80 || true
        fail "$file differs when rebuilt from the same commit"
        differing=$((differing + 1))
      fi
    done <"$dist/SHA256SUMS"
    if [ "$differing" -eq 0 ]; then
      diff "$dist/SHA256SUMS" "$clone/dist/SHA256SUMS" || true
      fail "SHA256SUMS differs from the rebuild's, though its files do not"
    fi
  fi
else
  tail -30 "$work/release-again.log"
  fail "scripts/release.sh failed in the second folder"
fi

if [ "$failures" -ne 0 ]; then
  echo "release $version: $failures check(s) failed"
  exit 1
fi
echo "release $version: all checks passed"
