#!/usr/bin/env bash
# The panel SDK as a panel author meets it: install the project (RelWithDebInfo, as the README says)
# into a staging prefix, build the panel template out of tree against that prefix alone, and run its
# CTest suite there: the unit tests on the installed test kit and the scenario in the installed emulator;
# again built with AddressSanitizer (the scenario then runs with the runtime preloaded into the emulator);
# and the author's mistakes, each of which the installed SDK must catch (scripts/sdk-mistakes.sh).
# Fails when the package cannot be found, a target or document is missing, an installed header needs
# a header that is not installed, or a mistake goes through.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
scripts/install-deps.sh

work="$root/build/sdk"
stage="$work/stage"
rm -rf "$work"
mkdir -p "$work"

echo "== build and install the SDK into $stage"
cmake -S . -B "$work/project" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVO_BUILD_TESTS=OFF -DORVO_WERROR=ON >/dev/null
cmake --build "$work/project" -j "$(nproc)" >/dev/null
cmake --install "$work/project" --prefix "$stage" >/dev/null

echo "== every installed header compiles on its own"
for header in "$stage"/include/orvo/*.h; do
  echo "#include \"$(basename "$header")\"" |
    c++ -std=c++17 -Wall -Wextra -Werror -fsyntax-only -I "$stage/include/orvo" -x c++ - ||
    { echo "installed header $(basename "$header") does not compile against the installed headers alone" >&2; exit 1; }
done

echo "== the author's documents are installed"
for doc in README.md panel-authors.md panel_host.md workbench.md validator.md recorder.md; do
  [ -f "$stage/share/doc/orvo-panel-sdk/$doc" ] || { echo "share/doc/orvo-panel-sdk/$doc is not installed" >&2; exit 1; }
done

echo "== the installed recorder, beside the installed Corvane, records the demo, and the recording replays"
panels="$(dirname "$(find "$stage/lib" -path '*/orvo/panels/Corvane.so' -print -quit)")"
[ -f "$panels/PanelRecorder.so" ] || { echo "PanelRecorder.so is not installed beside Corvane.so" >&2; exit 1; }
demo="$stage/share/orvo-panel-sdk/demo"
printf 'panel = Corvane.so\noutput = %s\n' "$work/demo.recording" >"$panels/PanelRecorder.recorder"
"$stage/bin/panel_host" "$panels/PanelRecorder.so" "$demo/site.json" "$demo/demo.scenario" >/dev/null
"$stage/bin/panel_host" "$panels/Corvane.so" "$demo/site.json" "$work/demo.recording" >/dev/null ||
  { echo "the recording of the installed demo does not replay on the installed Corvane" >&2; exit 1; }
rm "$panels/PanelRecorder.recorder"

echo "== build a copy of the installed panel template, with warnings as errors"
copy="$work/panel_template"
cp -r "$stage/share/doc/orvo-panel-sdk/panel_template" "$copy"
cmake -S "$copy" -B "$copy/build" -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVO_PANEL_WERROR=ON >/dev/null
cmake --build "$copy/build" -j "$(nproc)" >/dev/null

echo "== run the template's unit tests and scenario"
ctest --test-dir "$copy/build" --output-on-failure

echo "== the template again, built with AddressSanitizer, against the same install"
asan="$work/panel_template_asan"
cp -r "$stage/share/doc/orvo-panel-sdk/panel_template" "$asan"
cmake -S "$asan" -B "$asan/build" -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
      -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-fsanitize=address -fno-omit-frame-pointer" >/dev/null
cmake --build "$asan/build" -j "$(nproc)" >/dev/null
ctest --test-dir "$asan/build" --output-on-failure

echo "== the author's mistakes, against the same install"
scripts/sdk-mistakes.sh "$stage"
