#!/usr/bin/env bash
# The API reference of the panel SDK: installs Doxygen when missing and builds the `docs` target of the
# dev build, where a Doxygen warning is an error. The HTML lands in build/dev/docs/api/html; an install of
# a build that made it (the .deb always does) puts it in share/doc/orvo-panel-sdk/api/html.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh doxygen
cmake --preset dev >/dev/null
cmake --build --preset dev --target docs
echo "API reference: build/dev/docs/api/html/index.html"
