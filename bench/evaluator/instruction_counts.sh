#!/usr/bin/env bash
# instruction_counts.sh [BUILD_DIR]
# Machine instructions per call, counted by callgrind (deterministic, where
# times on a shared machine swing), for Formula, the prepared formula and
# muparser in the same run, beside the targets. BUILD_DIR is a build with
# benchmarks (default build/bench: cmake --preset bench && cmake --build --preset bench).
set -euo pipefail
build=${1:-build/bench}
program=$build/bench/evaluator/instruction_counts
[ -x "$program" ] || { echo "no $program: build the bench preset first" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "valgrind is needed" >&2; exit 2; }

calls=2000
# Instructions of one run of CASE with CALLS calls.
collected() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$program" "$1" "$2" 2>&1 >/dev/null |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
per_call() {
  local one two
  one=$(collected "$1" "$calls")
  two=$(collected "$1" $((calls * 2)))
  echo $(((two - one) / calls))
}

# Instructions per call of CASE by function (self cost), largest first:
# the difference of two annotated runs, as per_call does for the total.
split_per_call() {
  local dir
  dir=$(mktemp -d)
  valgrind --tool=callgrind --callgrind-out-file="$dir/one" "$program" "$1" "$calls" >/dev/null 2>&1
  valgrind --tool=callgrind --callgrind-out-file="$dir/two" "$program" "$1" $((calls * 2)) >/dev/null 2>&1
  for run in one two; do
    callgrind_annotate --threshold=100 "$dir/$run" 2>/dev/null |
      sed -n 's/^ *\([0-9,]*\) ([ 0-9.]*%)  [^:]*:\([^[]*\) \[.*/\1\t\2/p' >"$dir/$run.txt"
  done
  awk -F '\t' -v calls="$calls" '{ gsub(",", "", $1) } NR == FNR { one[$2] += $1; next } { two[$2] += $1 }
    END { for (f in two) { n = (two[f] - one[f]) / calls; if (n >= 1) printf "  %6d  %s\n", n, f } }' \
    "$dir/one.txt" "$dir/two.txt" | sort -rn
  rm -rf "$dir"
}

calc=$(per_call formula_calc)
med=$(per_call formula_med)
alternating=$(per_call formula_alternating)
premio=$(per_call formula_premio)
prepared_calc=$(per_call prepared_calc)
prepared_med=$(per_call prepared_med)
prepared_branch=$(per_call prepared_branch)
prepared_premio=$(per_call prepared_premio)
formula_loop=$(per_call formula_loop)
prepared_loop=$(per_call prepared_loop)
mu_parse=$(per_call muparser_parse_calc)
mu_reparse=$(per_call muparser_reparse_calc)
mu_eval=$(per_call muparser_preparsed_calc)
mu_med=$(per_call muparser_preparsed_med)
mu_branch=$(per_call muparser_preparsed_branch)

verdict() { if (($1 <= $2)); then echo "ok"; else echo "OVER"; fi; }
# A prepared case against muparser pre-parsed on the same expression: the bar
# is muparser's count, the goal a share of it (the fastest peer's level).
against_muparser() {
  local name=$1 count=$2 peer=$3 goal_percent=$4 goal=$(($3 * $4 / 100))
  printf '%-44s %10d  %-24s %-4s goal <= %d (%d%% of muparser): %s\n' "$name" "$count" "<= muparser ($peer)" \
    "$(verdict "$count" "$peer")" "$goal" "$goal_percent" "$(verdict "$count" "$goal")"
}
printf '%-44s %10s  %-24s\n' "case" "instr/call" "target"
printf '%-44s %10d  %-24s %s\n' "Formula, CALC (r = a * 2)" "$calc" "<= 350" "$(verdict "$calc" 350)"
printf '%-44s %10d  %-24s %s\n' "Formula, MED" "$med" "<= 700" "$(verdict "$med" 700)"
printf '%-44s %10d  %-24s %s\n' "Formula, CALC and MED alternating" "$alternating" "<= 550" "$(verdict "$alternating" 550)"
printf '%-44s %10d\n' "Formula, PREMIO (examples/premium.frm)" "$premio"
against_muparser "prepared evaluation, CALC" "$prepared_calc" "$mu_eval" 45
against_muparser "prepared evaluation, MED" "$prepared_med" "$mu_med" 23
against_muparser "prepared evaluation, BRANCH" "$prepared_branch" "$mu_branch" 24
printf '%-44s %10d\n' "prepared evaluation, PREMIO" "$prepared_premio"
printf '%-44s %10d\n' "Formula, LOOP (loop_formula.h)" "$formula_loop"
printf '%-44s %10d  %-24s %s\n' "prepared evaluation, LOOP" "$prepared_loop" "<= $((formula_loop / 3)) (1/3 of Formula)" \
  "$(verdict "$prepared_loop" $((formula_loop / 3)))"
printf '%-44s %10d\n' "muparser, parse and evaluate a*2 (new parser)" "$mu_parse"
printf '%-44s %10d\n' "muparser, parse and evaluate a*2 (reused parser)" "$mu_reparse"
printf '%-44s %10d\n' "muparser, evaluate a*2 pre-parsed" "$mu_eval"
printf '%-44s %10d\n' "muparser, evaluate MED pre-parsed" "$mu_med"
printf '%-44s %10d\n' "muparser, evaluate a<25 ? a*4.5 : a*2.9 pre-parsed" "$mu_branch"
echo "Formula on CALC is $((mu_reparse / calc))x cheaper than muparser's parse and evaluate with a reused parser (target >= 95x), $((mu_parse / calc))x with a new one"
echo "Where a Formula call on CALC spends its instructions (self cost per call, by function):"
split_per_call formula_calc
