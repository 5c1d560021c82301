#!/usr/bin/env bash
# Installs the headless browser the workbench's browser test and click benchmark drive: Chromium, its
# WebDriver and Selenium for the system Python (/usr/bin/python3). Only what is missing.
set -euo pipefail
exec "$(dirname "$0")/apt-install-missing.sh" chromium chromium-driver python3-selenium
