-- The sharded set-up: two more servers each hold one region's rows; here a
-- table partitioned by region has postgres_fdw foreign tables as its
-- partitions. With partitionwise aggregation each shard evaluates the
-- formula and sums its own rows (formula_evaluate in both remote queries),
-- and the sums equal a local computation.
\getenv host PGHOST
SELECT formula_compile(E'method MED\ninput a, b, c;\noutput r;\nproc\nr = (a + b) * c - a / 4 + b * 2.5;\nendp\n') AS med \gset

\c postgres postgres :host 5433
SET client_min_messages = warning;
DROP TABLE IF EXISTS premi_nord;
CREATE EXTENSION IF NOT EXISTS formula;
CREATE TABLE premi_nord AS
  SELECT 'nord'::text AS region, g::float8 AS a, (g % 7)::float8 AS b, (g % 13)::float8 AS c
  FROM generate_series(1, 6000) g;
\c postgres postgres :host 5434
SET client_min_messages = warning;
DROP TABLE IF EXISTS premi_sud;
CREATE EXTENSION IF NOT EXISTS formula;
CREATE TABLE premi_sud AS
  SELECT 'sud'::text AS region, g::float8 AS a, (g % 5)::float8 AS b, (g % 11)::float8 AS c
  FROM generate_series(1, 4000) g;

\c formula_regression postgres :host 5432
CREATE EXTENSION postgres_fdw;
CREATE SERVER shard_nord FOREIGN DATA WRAPPER postgres_fdw
  OPTIONS (host :'host', port '5433', dbname 'postgres', extensions 'formula');
CREATE SERVER shard_sud FOREIGN DATA WRAPPER postgres_fdw
  OPTIONS (host :'host', port '5434', dbname 'postgres', extensions 'formula');
CREATE USER MAPPING FOR CURRENT_USER SERVER shard_nord OPTIONS (user 'postgres');
CREATE USER MAPPING FOR CURRENT_USER SERVER shard_sud OPTIONS (user 'postgres');
CREATE TABLE premi (region text, a float8, b float8, c float8) PARTITION BY LIST (region);
CREATE FOREIGN TABLE premi_nord PARTITION OF premi FOR VALUES IN ('nord')
  SERVER shard_nord OPTIONS (table_name 'premi_nord');
CREATE FOREIGN TABLE premi_sud PARTITION OF premi FOR VALUES IN ('sud')
  SERVER shard_sud OPTIONS (table_name 'premi_sud');

SET enable_partitionwise_aggregate = on;
EXPLAIN (VERBOSE, COSTS OFF)
  SELECT region, sum(formula_evaluate(:'med'::formula, a, b, c)) FROM premi GROUP BY region;

-- The same sums computed here, from a local copy of the rows, through the
-- formula and through the arithmetic in SQL.
CREATE TABLE premi_locali AS SELECT * FROM premi;
SELECT region, s.sum AS shards,
       s.sum = (SELECT sum(formula_evaluate(:'med'::formula, a, b, c)) FROM premi_locali l WHERE l.region = s.region) AS same_as_local,
       s.sum = (SELECT sum((a + b) * c - a / 4 + b * 2.5) FROM premi_locali l WHERE l.region = s.region) AS same_as_sql
FROM (SELECT region, sum(formula_evaluate(:'med'::formula, a, b, c)) FROM premi GROUP BY region) s
ORDER BY region;
