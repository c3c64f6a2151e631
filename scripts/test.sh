#!/usr/bin/env bash
# Runs every test: installs what is missing, then the release build's CTest suite
# (unit, end-to-end, database and spooler tests), the playground page in a
# headless browser against that build's formcomp and formeval, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for a fixed
# number of inputs, a build of the benchmarks (so they keep compiling), the
# Windows checks, and the release packages made from those builds and checked.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

step() { printf '\n==== %s\n' "$*"; }

step "release build and tests"
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release

# The page needs node and npm besides the Debian packages; without them it
# cannot be built at all.
step "playground page in headless Chromium"
if command -v node >/dev/null && command -v npm >/dev/null; then
  bash scripts/playground.sh
  node --test playground/tests/
else
  echo "playground: skipped, node and npm are missing"
fi

step "sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

step "benchmarks build"
cmake --preset bench >/dev/null
cmake --build --preset bench

if [ -f fuzz/run.sh ]; then
  step "fuzz targets"
  bash fuzz/run.sh
fi

if [ -f scripts/windows-checks.sh ]; then
  step "Windows builds and checks"
  bash scripts/windows-checks.sh
fi

step "release packages"
bash scripts/package.sh
bash scripts/package-checks.sh
