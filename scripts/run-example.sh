#!/usr/bin/env bash
# The main job: builds and installs everything into out/, compiles the example
# formulas under examples/ from source with formcomp and evaluates them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# A build folder of its own: the test build keeps its tests (a test build
# reconfigured without them would leave stale test programs for ctest to run).
cmake --preset example >/dev/null
cmake --build --preset example
cmake --install build/example --prefix out >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
root=$OLDPWD
compile() { echo "\$ formcomp < examples/$1"; "$root/out/bin/formcomp" < "$root/examples/$1"; }
evaluate() { echo "\$ formeval $*"; "$root/out/bin/formeval" "$@"; }

# R = A * 2
compile calc.frm
evaluate CALC 21

# Yearly premium: age 30, 5 years without claims, capital 150000 -> 391.5
compile premium.frm
evaluate PREMIO 30 5 150000
evaluate PREMIO 22 15 100000

# Capital 1000 at 5 per cent for 3 years, rounded yearly -> 1157.63
compile interest.frm
evaluate MONTANTE 1000 5 3

# 120 pieces at 12.50 with 15 per cent off -> 1274.4; promotional -> 1500
compile discount.frm
evaluate SCONTO 120 12.5 0
evaluate SCONTO 120 12.5 1
