#!/usr/bin/env bash
# The main job: builds and installs everything into out/, compiles the example
# formulas under examples/ from source with formcomp and evaluates them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake --preset release -DFORMULA_BUILD_TESTS=OFF >/dev/null
cmake --build --preset release
cmake --install build/release --prefix out >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
run() { echo "\$ $*"; "$@"; }
root=$OLDPWD
run "$root/out/bin/formcomp" < "$root/examples/calc.frm"
run "$root/out/bin/formeval" CALC 21
