#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only when one is
# missing), then configures and builds one flavour of the project:
#   bash scripts/setup.sh          build/       optimised, with debug information
#   bash scripts/setup.sh asan     build-asan/  AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

flavour=${1:-release}
case "$flavour" in
  release) dir=build; flags=(-DKDX_SANITIZE=OFF) ;;
  # clang: GCC 12's null check misreports stores to extern thread_local
  # variables once the linker relaxes their address computation.
  asan) dir=build-asan; flags=(-DKDX_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: bash scripts/setup.sh [release|asan]" >&2; exit 2 ;;
esac

packages=(cmake g++ pkg-config libcairo2-dev libfreetype-dev libfontconfig-dev libpng-dev
          fonts-liberation libgtest-dev libgmock-dev zbar-tools libzxing-dev poppler-utils
          libxml2-utils clang libsqlite3-dev sqlite3)
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}"
cmake --build "$dir" -j2
