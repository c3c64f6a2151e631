-- formula_evaluate: the README's examples, NULLs, input counts, formulas
-- without an output variable, zero divisors, and many formulas in one query.

-- The examples, through a table of formulas as a host keeps them.
CREATE TABLE polizze (id int PRIMARY KEY, eta float8, anni float8, capitale float8);
INSERT INTO polizze VALUES (1, 30, 5, 150000), (2, 22, 15, 100000), (3, 70, 0, 80000);
SELECT p.id, formula_evaluate(f.compiled, p.eta, p.anni, p.capitale) AS premio
FROM polizze p JOIN formule f ON f.nome = 'PREMIO' ORDER BY p.id;
SELECT nome, formula_evaluate(compiled, VARIADIC inputs) FROM formule JOIN (VALUES
  ('CALC', '{21}'::float8[]),
  ('MONTANTE', '{1000, 5, 3}'),
  ('SCONTO', '{120, 12.5, 0}'),
  ('SCONTO', '{120, 12.5, 1}')
) AS calls(nome, inputs) USING (nome) ORDER BY nome, inputs;

-- A NULL among the inputs gives NULL; so does a NULL formula.
SELECT formula_evaluate(compiled, 21, NULL, 3) IS NULL AS null_input,
       formula_evaluate(compiled, VARIADIC ARRAY[21, NULL, 3]) IS NULL AS null_in_array,
       formula_evaluate(NULL::formula, 1) IS NULL AS null_formula,
       formula_evaluate(compiled, VARIADIC NULL::float8[]) IS NULL AS null_array
FROM formule WHERE nome = 'MONTANTE';

-- Another count of inputs than the formula's is an ERROR naming both.
SELECT formula_evaluate(compiled, 1, 2) FROM formule WHERE nome = 'CALC';
SELECT formula_evaluate(compiled) FROM formule WHERE nome = 'CALC';
SELECT formula_evaluate(compiled, VARIADIC '{}'::float8[]) FROM formule WHERE nome = 'MONTANTE';
SELECT formula_evaluate(compiled, 1, 2, 3, 4, 5, 6, 7, 8, 9) FROM formule WHERE nome = 'MONTANTE';

-- Without an output variable the result is 0, said once per query.
CREATE TABLE numbers AS SELECT g::float8 AS x FROM generate_series(1, 3) g;
SELECT formula_evaluate(compiled) FROM formule, numbers WHERE nome = 'G';
SELECT formula_evaluate(f, x) FROM numbers,
  formula_compile(E'method SENZA\ninput a;\nproc\na = a * 2;\nendp\n') f;

-- A zero divisor: the evaluator's message as a WARNING, the result Formula's
-- (R = 5 + A / B with B = 0 leaves only the 5).
SELECT x, formula_evaluate(f, x, x - 2) FROM numbers,
  formula_compile(E'method DIVIDE\ninput a, b;\noutput r;\nproc\nr = 5 + a / b;\nendp\n') f ORDER BY x;

-- More formulas in one query than a call site keeps: each row with its own.
CREATE TABLE multiples AS
  SELECT k, formula_compile(format(E'method F%s\ninput a;\noutput r;\nproc\nr = a * %s;\nendp\n', k, k)) AS f
  FROM generate_series(1, 12) k;
SELECT count(*) AS rows, count(*) FILTER (WHERE formula_evaluate(f, x) = x * k) AS right
FROM numbers CROSS JOIN multiples;
SELECT count(*) AS rows, count(*) FILTER (WHERE formula_evaluate(f, x) = x * k) AS right
FROM (SELECT * FROM numbers, multiples ORDER BY x, k) interleaved;
-- PL/pgSQL keeps an expression's state from one call to the next while the
-- formula in its variable changes.
DO $$
DECLARE f formula;
BEGIN
  FOR i IN 1..3 LOOP
    SELECT m.f INTO f FROM multiples m WHERE m.k = i;
    RAISE NOTICE 'F%(10) = %', i, formula_evaluate(f, 10);
  END LOOP;
END $$;

-- A trigger keeps a computed column current (docs/database.md).
ALTER TABLE polizze ADD COLUMN premio float8;
CREATE FUNCTION polizze_premio() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  SELECT formula_evaluate(compiled, NEW.eta, NEW.anni, NEW.capitale) INTO NEW.premio
  FROM formule WHERE nome = 'PREMIO';
  RETURN NEW;
END $$;
CREATE TRIGGER polizze_premio BEFORE INSERT OR UPDATE OF eta, anni, capitale ON polizze
  FOR EACH ROW EXECUTE FUNCTION polizze_premio();
UPDATE polizze SET eta = eta;
INSERT INTO polizze (id, eta, anni, capitale) VALUES (4, 30, 5, 150000);
UPDATE polizze SET capitale = 300000 WHERE id = 4;
SELECT id, premio FROM polizze ORDER BY id;
