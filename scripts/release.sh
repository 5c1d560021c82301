#!/usr/bin/env bash
# Builds a release into dist/, from the committed sources (HEAD) of this checkout:
#   orvo-panel-sdk-<version>.tar.gz      the source release (git archive of HEAD)
#   orvo-panel-sdk_<version>_amd64.deb   the SDK for panel authors: headers, RelWithDebInfo libraries, the CMake
#                                        package, panel_host (and panel_host.exe for authors' 64-bit Windows
#                                        builds), Corvane.so with the demo site, the docs and API reference,
#                                        and the helper's sources for the debugger and for authors' Windows
#                                        builds, under /usr (CPack)
#   Corvane-<version>-win32.zip          for the plant: the shipping 32-bit Corvane.dll and the recorder
#                                        PanelRecorder.dll, checked with scripts/cross/check-dll.sh, a README
#                                        and the license
#   SHA256SUMS                           over the three
# <version> is the one in the top-level project(). The .deb and the DLL are built from the unpacked source
# release, so the tarball is known to build. Uncommitted changes are not part of a release.
#
# The release is reproducible: one commit gives the same bytes in every file, whatever the folder, time,
# user, umask, time zone and locale of the build. Every time stamp is the commit's (SOURCE_DATE_EPOCH),
# the build folders are mapped to the installed source folder in everything compiled
# (ORVO_MAP_SOURCE_PATHS), the DLL's header carries no link time, and the archives have fixed member times,
# order, owners and permissions. scripts/release-check.sh rebuilds the release elsewhere and compares.
# Installs what it needs first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

started=$SECONDS
step() {
  echo "== $* ($((SECONDS - started)) s)"
}

if ! git rev-parse --verify -q HEAD >/dev/null; then
  echo "release.sh: $root is not a git checkout with a commit; a release is made from one" >&2
  exit 2
fi
version="$(git show HEAD:CMakeLists.txt | sed -nE 's/^project\([A-Za-z_]+ VERSION ([0-9.]+)[ )].*/\1/p')"
if [ -z "$version" ]; then
  echo "release.sh: CMakeLists.txt:2: no project(... VERSION x.y.z ...) line to take the version from" >&2
  exit 2
fi
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release.sh: warning: uncommitted changes are left out; the release is HEAD ($(git rev-parse --short HEAD))"
fi

# What would otherwise differ from one builder to the next: every stamped time is the commit's, files are
# created with the same permissions, and nothing sorts or formats by the builder's locale or time zone.
SOURCE_DATE_EPOCH="$(git log -1 --format=%ct HEAD)"
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
# Compiled here, not taken from a compiler cache: a cache that rewrites paths relative to its base folder
# would put those relative paths in the debug information, beyond the reach of the folder mapping.
export CCACHE_DISABLE=1
echo "release.sh: commit $(git rev-parse --short HEAD), SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC)"

step "install what the release needs"
scripts/install-deps.sh dpkg-dev doxygen strip-nondeterminism
scripts/cross/install.sh win32dll win64

name="orvo-panel-sdk"
deb="${name}_${version}_$(dpkg --print-architecture).deb"
dist="$root/dist"
work="$root/build/dist"
src="$work/$name-$version"
rm -rf "$dist" "$work"
mkdir -p "$dist" "$work"

step "source release $name-$version.tar.gz"
git archive --format=tar.gz --prefix="$name-$version/" -o "$dist/$name-$version.tar.gz" HEAD
tar -xzf "$dist/$name-$version.tar.gz" -C "$work"

step "panel_host.exe for 64-bit Windows, from the source release, for the package"
# An author's 64-bit Windows build plays its scenarios in it under Wine.
win64_build="$work/win64"
cmake -S "$src" -B "$win64_build" --toolchain "$src/cmake/toolchains/x86_64-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DORVO_BUILD_TESTS=OFF \
      -DORVO_BUILD_PANEL_TESTING=OFF -DORVO_WERROR=ON -DORVO_MAP_SOURCE_PATHS=ON >/dev/null
cmake --build "$win64_build" -j "$(nproc)" --target panel_host >/dev/null

step "Debian package, RelWithDebInfo, from the source release"
deb_build="$work/deb"
cmake -S "$src" -B "$deb_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
      -DORVO_BUILD_TESTS=OFF -DORVO_WERROR=ON -DORVO_MAP_SOURCE_PATHS=ON \
      -DORVO_WIN64_PANEL_HOST="$win64_build/tools/panel_host/panel_host.exe" >/dev/null
cmake --build "$deb_build" -j "$(nproc)" >/dev/null
# The API reference ships in the package; the install rules take it when it is there.
cmake --build "$deb_build" --target docs >/dev/null
(cd "$deb_build" && cpack -G DEB >/dev/null)
mv "$deb_build/$deb" "$dist/"

step "shipping Corvane.dll, from the source release, and its checks"
(cd "$src" && cmake --preset win32dll -DORVO_MAP_SOURCE_PATHS=ON >/dev/null &&
  cmake --build --preset win32dll --target Corvane PanelRecorder >/dev/null)
dll="$src/build/win32dll/panels/Corvane/Corvane.dll"
"$src/scripts/cross/check-dll.sh" "$dll"
recorder_dll="$src/build/win32dll/panels/PanelRecorder/PanelRecorder.dll"
"$src/scripts/cross/check-dll.sh" "$recorder_dll"

step "Corvane-$version-win32.zip"
zip_dir="$work/Corvane-$version-win32"
mkdir -p "$zip_dir"
# The plant's modules, each a DLL checked above; the README gives each one's checksum.
modules=("$dll" "$recorder_dll")
checksums=""
for module in "${modules[@]}"; do
  cp "$module" "$zip_dir/"
  checksums+="  SHA-256 of $(basename "$module"): $(sha256sum "$module" | cut -d' ' -f1)"$'\n'
done
# What a rebuild needs to give the same bytes: the commit, the Debian release and the compilers.
commit="$(git rev-parse HEAD)"
debian="Debian $(cat /etc/debian_version 2>/dev/null || echo unknown)"
compilers="$(dpkg-query -W -f='${Package} ${Version}, ' g++-mingw-w64-i686-win32 g++ | sed 's/, $//')"
# Windows line ends: the plant reads these on the host's machine.
CHECKSUMS="$checksums" awk -v version="$version" -v commit="$commit" -v debian="$debian" \
    -v compilers="$compilers" '
  /@DLL_CHECKSUMS@/ { printf "%s", ENVIRON["CHECKSUMS"]; next }
  { gsub(/@VERSION@/, version); gsub(/@COMMIT@/, commit); gsub(/@DEBIAN@/, debian);
    gsub(/@COMPILERS@/, compilers); print }' "$src/scripts/plant-README.txt.in" |
  sed -e 's/$/\r/' >"$zip_dir/README.txt"
sed -e 's/$/\r/' "$src/LICENSE" >"$zip_dir/LICENSE.txt"
# Members in a fixed order with the commit's time and fixed permissions; strip-nondeterminism then
# clears what the zip writer adds of its own (owners, extra time fields).
members=()
for file in "$zip_dir"/*; do
  members+=("Corvane-$version-win32/$(basename "$file")")
done
chmod 755 "$zip_dir"
chmod 644 "$zip_dir"/*
touch -h -d "@$SOURCE_DATE_EPOCH" "$zip_dir" "$zip_dir"/*
(cd "$work" && cmake -E tar cf "$dist/Corvane-$version-win32.zip" --format=zip -- "${members[@]}")
strip-nondeterminism --type zip --timestamp "$SOURCE_DATE_EPOCH" "$dist/Corvane-$version-win32.zip" >/dev/null

step "SHA256SUMS"
(cd "$dist" && sha256sum "$name-$version.tar.gz" "$deb" "Corvane-$version-win32.zip" \
  >SHA256SUMS && cat SHA256SUMS)

step "done: release $version in dist/"
