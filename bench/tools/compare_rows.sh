#!/usr/bin/env bash
# formeval --compare over one million rows: two versions of the PREMIO
# example (examples/premium.frm, and the same with the middle band's rate
# changed, so that about half of the rows differ and are written), best of
# several runs, beside formeval --csv of one version over the same rows. Prints
# the times and the rows a minute of each.
# Builds formeval and formcomp (preset release, or the build folder in
# FORMULA_BUILD_DIR).
# Usage: bench/tools/compare_rows.sh [RUNS]   (default 5)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
build=${FORMULA_BUILD_DIR:-build/release}
if [ -z "${FORMULA_BUILD_DIR:-}" ]; then
  cmake --preset release >/dev/null
fi
cmake --build "$build" --target formeval formcomp -j2 >/dev/null
formeval=$PWD/$build/tools/formeval
formcomp=$PWD/$build/compiler/formcomp
work=$(mktemp -d /tmp/formula-compare-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/nuova"
(cd "$work" && "$formcomp" < "$OLDPWD/examples/premium.frm" > /dev/null)
sed 's/tasso = 2.9;/tasso = 3.1;/' examples/premium.frm > "$work/nuova/premium.frm"
(cd "$work/nuova" && "$formcomp" < premium.frm > /dev/null)
python3 - "$work/rows.csv" <<'PY'
import random, sys
generator = random.Random(8)
with open(sys.argv[1], "w") as rows:
    rows.write("eta,anni_senza_sinistri,capitale\n")
    for _ in range(1_000_000):
        rows.write(f"{generator.randint(18, 90)},{generator.randint(0, 15)},{generator.randint(10, 500) * 1000}\n")
PY

# The best wall-clock time of a command over the runs, in seconds.
best_of() {
  local best=""
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || [ $? -eq 1 ]
    end=$(date +%s.%N)
    best=$(python3 -c "import sys; t = $end - $start; b = '$best'; print(t if not b else min(t, float(b)))")
  done
  echo "$best"
}

cd "$work"
compare=$(best_of "$formeval" --compare PREMIO nuova/PREMIO rows.csv -o changes.csv)
csv=$(best_of "$formeval" --csv PREMIO rows.csv -o out.csv)
changed=$(($(wc -l < changes.csv) - 1))
python3 - "$compare" "$csv" "$changed" <<'PY'
import sys
compare, csv, changed = float(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3])
print(f"formeval --compare, 1000000 rows ({changed} differ): {compare:.3f} s, {60e6 / compare / 1e6:.1f} million rows a minute")
print(f"formeval --csv,     1000000 rows:                {csv:.3f} s, {60e6 / csv / 1e6:.1f} million rows a minute")
PY
