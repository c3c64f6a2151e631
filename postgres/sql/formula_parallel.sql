-- A forced parallel plan: two workers evaluate the formula, and the sum
-- equals the serial one (the values are multiples of 0.25 and their sum is
-- exact in any order).
CREATE TABLE righe AS
  SELECT g::float8 AS a, (g % 7)::float8 AS b, (g % 13)::float8 AS c FROM generate_series(1, 200000) g;
ANALYZE righe;
SELECT formula_compile(E'method MED\ninput a, b, c;\noutput r;\nproc\nr = (a + b) * c - a / 4 + b * 2.5;\nendp\n') AS med \gset
SET max_parallel_workers_per_gather = 2;
SET parallel_setup_cost = 0;
SET parallel_tuple_cost = 0;
SET min_parallel_table_scan_size = 0;
EXPLAIN (VERBOSE, COSTS OFF)
  SELECT sum(formula_evaluate(:'med'::formula, a, b, c)) FROM righe;

CREATE FUNCTION workers_launched(query text) RETURNS int LANGUAGE plpgsql AS $$
DECLARE plan jsonb;
BEGIN
  EXECUTE 'EXPLAIN (ANALYZE, FORMAT JSON) ' || query INTO plan;
  RETURN jsonb_path_query_first(plan, '$.**."Workers Launched"')::int;
END $$;
SELECT workers_launched(format('SELECT sum(formula_evaluate(%L::formula, a, b, c)) FROM righe', :'med'));

CREATE TABLE sums AS SELECT 'parallel' AS plan, sum(formula_evaluate(:'med'::formula, a, b, c)) FROM righe;
SET max_parallel_workers_per_gather = 0;
INSERT INTO sums SELECT 'serial', sum(formula_evaluate(:'med'::formula, a, b, c)) FROM righe;
INSERT INTO sums SELECT 'sql', sum((a + b) * c - a / 4 + b * 2.5) FROM righe;
SELECT plan, sum FROM sums ORDER BY plan;
RESET ALL;
