#!/usr/bin/env bash
# Builds the project and draws the sample sheet of every implemented
# symbology into out/ (sheet.png and sheet.pdf).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh release
build/bin/kdx sheet -o out
