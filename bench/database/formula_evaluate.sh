#!/usr/bin/env bash
# formula_evaluate against the same arithmetic in SQL over one million rows,
# side by side in one server session, best of several runs each:
#   MED (r = (a + b) * c - a / 4 + b * 2.5) through formula_evaluate, serial;
#   the same arithmetic written in SQL, serial;
#   MED through formula_evaluate with 2 parallel workers (a forced parallel plan).
# Builds the extension (preset bench, or the build folder in FORMULA_BUILD_DIR),
# starts throw-away servers as the tests do, and stops them at the end.
# Usage: bench/database/formula_evaluate.sh [RUNS]   (default 7)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-7}
build=${FORMULA_BUILD_DIR:-build/bench}
if [ -z "${FORMULA_BUILD_DIR:-}" ]; then
  cmake --preset bench >/dev/null
fi
cmake --build "$build" --target formula -j2 >/dev/null
state=$(mktemp /tmp/formula-bench-state.XXXXXX)
trap 'bash tests/postgres/formula_servers_stop.sh "$state" >/dev/null' EXIT
bash tests/postgres/formula_servers_start.sh "$state" "$build/postgres/formula.so" postgres/formula.control \
  postgres/formula--1.0.sql >/dev/null

psql -X -q -h "$(cat "$state")" -p 5432 -U postgres -d postgres -v ON_ERROR_STOP=1 -v runs="$runs" <<'SQL'
CREATE EXTENSION formula;
CREATE TABLE righe AS
  SELECT random() * 1000 AS a, random() * 100 AS b, random() * 10 AS c FROM generate_series(1, 1000000);
VACUUM ANALYZE righe;
SELECT formula_compile(E'method MED\ninput a, b, c;\noutput r;\nproc\nr = (a + b) * c - a / 4 + b * 2.5;\nendp\n')
  AS med \gset

-- The execution time of a query in milliseconds.
CREATE FUNCTION run_time(query text) RETURNS float8 LANGUAGE plpgsql AS $$
DECLARE started timestamptz := clock_timestamp();
BEGIN
  EXECUTE query;
  RETURN extract(epoch FROM clock_timestamp() - started) * 1000;
END $$;
CREATE TABLE times (what text, ms float8);
CREATE FUNCTION measure(what text, query text, workers int) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
  PERFORM set_config('max_parallel_workers_per_gather', workers::text, true);
  INSERT INTO times VALUES (what, run_time(query));
END $$;

SET parallel_setup_cost = 0;
SET parallel_tuple_cost = 0;
SELECT format('SELECT sum(formula_evaluate(%L::formula, a, b, c)) FROM righe', :'med') AS formula_query \gset
-- Warm the cache, then take turns so that every query sees the same machine.
SELECT run_time(:'formula_query') \g /dev/null
TRUNCATE times;
SELECT measure('formula_evaluate, serial', :'formula_query', 0),
       measure('SQL arithmetic, serial', 'SELECT sum((a + b) * c - a / 4 + b * 2.5) FROM righe', 0),
       measure('formula_evaluate, 2 workers', :'formula_query', 2)
FROM generate_series(1, :runs) \g /dev/null

\echo 'one million rows, best of' :runs 'runs'
SELECT what, round(min(ms)::numeric, 1) AS best_ms, round(avg(ms)::numeric, 1) AS mean_ms
FROM times GROUP BY what ORDER BY what;
SELECT round((min(ms) FILTER (WHERE what = 'formula_evaluate, serial') /
              min(ms) FILTER (WHERE what = 'SQL arithmetic, serial'))::numeric, 2) AS "formula / SQL (bar 2, goal 1.2)",
       round((min(ms) FILTER (WHERE what = 'formula_evaluate, serial') /
              min(ms) FILTER (WHERE what = 'formula_evaluate, 2 workers'))::numeric, 2) AS "speed-up with 2 workers"
FROM times;
SQL
