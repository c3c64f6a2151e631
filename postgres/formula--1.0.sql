-- formula 1.0: the type formula and its functions. Every function is
-- IMMUTABLE, STRICT and PARALLEL SAFE, so the planner runs them in parallel
-- workers and postgres_fdw ships them to the servers that hold the rows.
\echo Use "CREATE EXTENSION formula" to load this file. \quit

CREATE TYPE formula;

CREATE FUNCTION formula_in(cstring) RETURNS formula
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_out(formula) RETURNS cstring
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_recv(internal) RETURNS formula
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_send(formula) RETURNS bytea
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

-- A base type of its own, not text: without a collation, postgres_fdw can
-- ship the functions that take it to a remote server.
CREATE TYPE formula (
  INPUT = formula_in,
  OUTPUT = formula_out,
  RECEIVE = formula_recv,
  SEND = formula_send,
  INTERNALLENGTH = VARIABLE,
  STORAGE = extended
);
COMMENT ON TYPE formula IS 'a compiled formula: its symbol text and its code text, as formcomp writes them';

CREATE FUNCTION formula_compile(source text) RETURNS formula
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula(symbols text, code text) RETURNS formula
  AS 'MODULE_PATHNAME', 'formula_from_texts' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

CREATE FUNCTION formula_name(formula) RETURNS text
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_symbols(formula) RETURNS text
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_code(formula) RETURNS text
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_inputs(formula) RETURNS text[]
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_output(formula) RETURNS text
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

CREATE FUNCTION formula_evaluate(f formula, VARIADIC inputs float8[]) RETURNS float8
  AS 'MODULE_PATHNAME' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
-- Calls with one to eight inputs, the common case, take these: the same
-- evaluation without an array built for every row.
CREATE FUNCTION formula_evaluate(f formula, float8) RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_arguments' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_evaluate(f formula, float8, float8) RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_arguments' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_evaluate(f formula, float8, float8, float8) RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_arguments' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_evaluate(f formula, float8, float8, float8, float8) RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_arguments' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_evaluate(f formula, float8, float8, float8, float8, float8) RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_arguments' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_evaluate(f formula, float8, float8, float8, float8, float8, float8) RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_arguments' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_evaluate(f formula, float8, float8, float8, float8, float8, float8, float8) RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_arguments' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_evaluate(f formula, float8, float8, float8, float8, float8, float8, float8, float8)
  RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_arguments' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION formula_evaluate(f formula) RETURNS float8
  AS 'MODULE_PATHNAME', 'formula_evaluate_without_inputs' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
