#!/usr/bin/env bash
# Runs the formula extension's pg_regress tests (postgres/sql/*.sql against
# postgres/expected/*.out) on the servers of formula_servers_start.sh.
# formcomp's own files for the example formulas and the compiler's corpus are
# made first and handed to the tests as a table file: the source's file name,
# the source, NAME.sym and NAME.obj (COPY's text format).
# FORMULA_KEEP_RESULTS=1 keeps the results folder (/tmp/formula-regress.*).
# Usage: regress.sh STATE_FILE EXTENSION_SOURCE_DIR FORMCOMP CORPUS_DIR...
set -euo pipefail
state_file=$1 extension=$2 formcomp=$3
shift 3
folder=$(cat "$state_file")
work=$(mktemp -d /tmp/formula-regress.XXXXXX)
trap '[ -n "${FORMULA_KEEP_RESULTS:-}" ] || rm -rf "$work"' EXIT

# COPY's text format: backslashes doubled, tabs as \t, CR as \r, line ends as \n.
copy_field() { sed -e 's/\\/\\\\/g' -e 's/\t/\\t/g' -e 's/\r/\\r/g' "$1" | awk 'NR > 1 { printf "\\n" } { printf "%s", $0 }'; }
mkdir "$work/formcomp"
for corpus in "$@"; do
  for source in "$(realpath "$corpus")"/*.frm; do
    (cd "$work/formcomp" && "$formcomp" <"$source" >/dev/null) || continue
    symbols=$(ls "$work/formcomp"/*.sym)
    printf '%s\t%s\t%s\t%s\n' "$(basename "$corpus")/$(basename "$source")" "$(copy_field "$source")" \
      "$(copy_field "$symbols")" "$(copy_field "${symbols%.sym}.obj")" >>"$work/formcomp_files.tsv"
    rm -f "$work/formcomp"/*
  done
done
chmod -R a+rX "$work"

export FORMCOMP_FILES=$work/formcomp_files.tsv
export PGHOST=$folder PGUSER=postgres
pg_regress=$(pg_config --pkglibdir)/pgxs/src/test/regress/pg_regress
# The first creates the extension and the tables of formcomp's files and
# formulas that the others use.
# FORMULA_REGRESS_TESTS runs some of them, in the same order.
all_tests="formula_texts formula_evaluate formula_parallel formula_shards formula_cancel"
tests=${FORMULA_REGRESS_TESTS:-$all_tests}
status=0
"$pg_regress" --bindir="$(pg_config --bindir)" --host="$folder" --port=5432 \
  --inputdir="$extension" --outputdir="$work" --dbname=formula_regression $tests || status=$?
[ "$status" = 0 ] || cat "$work/regression.diffs" 2>/dev/null
exit "$status"
