-- An endless formula is stopped by statement_timeout: the evaluation looks
-- for a pending cancel every so many instructions.
CREATE TABLE endless AS
  SELECT formula_compile(E'method ENDLESS\ninput a;\noutput r;\nproc\nwhile (a > 0) r = r + 1; end\nendp\n') AS f,
         1::float8 AS a;
SET statement_timeout = '300ms';
SELECT formula_evaluate(f, a) FROM endless;
RESET statement_timeout;
-- The server process goes on, and the same formula ends where it should.
SELECT formula_evaluate(f, 0) FROM endless;
