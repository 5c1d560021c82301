#!/usr/bin/env bash
# Checks the release scripts/release.sh left in dist/ as its users meet it:
#   - every file matches SHA256SUMS, and the four files carry one version;
#   - the .deb, unpacked into a scratch root (dpkg -x), declares its runtime dependencies, its panel_host
#     prints that version, and the panel template of the source release builds against that root alone,
#     runs its tests and plays its scenario in the root's panel_host;
#   - the zip holds Corvane.dll, README.txt and LICENSE.txt, and the DLL passes scripts/cross/check-dll.sh.
# Installs what it needs first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
dist="$root/dist"
work="$root/build/release-check"

failures=0
pass() { echo "ok    $*"; }
fail() { echo "FAIL  $*"; failures=$((failures + 1)); }

scripts/install-deps.sh binutils-mingw-w64-i686 unzip

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
panel_host="$sysroot/usr/bin/panel_host"
if [ "$("$panel_host" --version)" = "panel_host $version" ]; then
  pass "panel_host --version prints panel_host $version"
else
  fail "panel_host --version prints [$("$panel_host" --version 2>&1 || true)], expected [panel_host $version]"
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
else
  cat "$work/template-configure.log" "$work/template-build.log" 2>/dev/null | tail -40
  fail "template does not build against the scratch root"
fi

echo "== the plant's zip"
unzip -q "$dist/Corvane-$version-win32.zip" -d "$work/zip"
listing="$(cd "$work/zip" && find . -type f | sort | tr '\n' ' ')"
expected="./Corvane-$version-win32/Corvane.dll ./Corvane-$version-win32/LICENSE.txt ./Corvane-$version-win32/README.txt "
if [ "$listing" = "$expected" ]; then
  pass "zip holds Corvane.dll, LICENSE.txt, README.txt"
else
  fail "zip holds [$listing], expected [$expected]"
fi
zip_dir="$work/zip/Corvane-$version-win32"
if grep -q "SHA-256 of Corvane.dll: $(sha256sum "$zip_dir/Corvane.dll" | cut -d' ' -f1)" "$zip_dir/README.txt"; then
  pass "README.txt gives the DLL's checksum"
else
  fail "README.txt does not give the DLL's checksum"
fi
if scripts/cross/check-dll.sh "$zip_dir/Corvane.dll"; then
  pass "Corvane.dll passes check-dll.sh"
else
  fail "Corvane.dll fails check-dll.sh"
fi

if [ "$failures" -ne 0 ]; then
  echo "release $version: $failures check(s) failed"
  exit 1
fi
echo "release $version: all checks passed"
