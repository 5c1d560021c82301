#!/usr/bin/env bash
# Installs the named Debian packages that are not installed yet; does nothing when all are there.
# Usage: scripts/apt-install-missing.sh PACKAGE...
# Recommends are left out: they would bring a desktop's worth of fonts and drivers (with Wine, say), and
# no build or test here needs them.
set -euo pipefail

missing=()
for package in "$@"; do
  if ! dpkg -s "$package" >/dev/null 2>&1; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
