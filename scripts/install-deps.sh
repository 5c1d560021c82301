#!/usr/bin/env bash
# Installs the Debian packages the native build and tests need (and any named extra), only those missing.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail
exec "$(dirname "$0")/apt-install-missing.sh" \
  cmake g++ libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev pkg-config libcpp-httplib-dev "$@"
