#!/usr/bin/env bash
# Builds and runs every test twice: the optimised build (build/), then the
# sanitizer build (build-asan/). Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

status=0
for flavour in release asan; do
  dir=build
  [ "$flavour" = asan ] && dir=build-asan
  echo "== $flavour ($dir/)"
  if ! bash scripts/setup.sh "$flavour"; then
    echo "== $flavour: build failed" >&2
    status=1
    continue
  fi
  if ! ctest --test-dir "$dir" --output-on-failure -j2; then
    echo "== $flavour: tests failed" >&2
    status=1
  fi
done
exit "$status"
