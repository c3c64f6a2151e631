-- The type formula and formula_compile: formcomp's files, the parts,
-- the text and binary forms, and texts that cannot be a formula.
CREATE EXTENSION formula;

-- formula_compile gives formcomp's NAME.sym and NAME.obj, for the example
-- formulas and the compiler's test corpus (made by formcomp for this run).
\getenv formcomp_files FORMCOMP_FILES
CREATE TABLE formcomp_files (file text PRIMARY KEY, source text, symbols text, code text);
COPY formcomp_files FROM :'formcomp_files';
SELECT count(*) >= 10 AS enough_files FROM formcomp_files;
SELECT file FROM formcomp_files, formula_compile(source) f
WHERE formula_symbols(f) IS DISTINCT FROM symbols OR formula_code(f) IS DISTINCT FROM code;

-- The parts.
CREATE TABLE formule (nome text PRIMARY KEY, compiled formula);
INSERT INTO formule SELECT formula_name(f), f FROM formcomp_files, formula_compile(source) f
WHERE file IN ('examples/calc.frm', 'examples/premium.frm', 'examples/interest.frm', 'examples/discount.frm',
               'formula_source_fuzzer/comments.frm');
SELECT nome, formula_inputs(compiled), formula_output(compiled) FROM formule ORDER BY nome;
SELECT formula_symbols(compiled), formula_code(compiled) FROM formule WHERE nome = 'CALC';
SELECT compiled FROM formule WHERE nome = 'CALC';

-- The text form and the binary form read back as the same value.
SELECT nome FROM formule WHERE compiled::text::formula::text <> compiled::text;
SELECT current_setting('data_directory') || '/formule.bin' AS binary_file \gset
COPY (SELECT nome, compiled FROM formule) TO :'binary_file' (FORMAT binary);
CREATE TABLE formule_read_back (nome text, compiled formula);
COPY formule_read_back FROM :'binary_file' (FORMAT binary);
SELECT count(*) AS read_back FROM formule_read_back b JOIN formule f USING (nome)
WHERE formula_symbols(b.compiled) = formula_symbols(f.compiled) AND formula_code(b.compiled) = formula_code(f.compiled);

-- formula() from stored texts; a line end after the last record is dropped.
SELECT formula(formula_symbols(compiled) || E'\r\n', formula_code(compiled) || E'\n')::text = compiled::text AS same
FROM formule WHERE nome = 'PREMIO';

-- What cannot be a formula is an ERROR with its reason, never a crash.
CREATE FUNCTION refusal(query text) RETURNS text LANGUAGE plpgsql AS $$
DECLARE detail text;
BEGIN
  EXECUTE query;
  RETURN 'accepted';
EXCEPTION WHEN OTHERS THEN
  GET STACKED DIAGNOSTICS detail = PG_EXCEPTION_DETAIL;
  RETURN SQLSTATE || ' ' || SQLERRM || coalesce(' / ' || nullif(detail, ''), '');
END $$;
SELECT refusal(q) FROM (VALUES
  ($$SELECT formula('', '')$$),                                   -- no header
  ($$SELECT formula('    CALC', '    CALC   0')$$),               -- a header cut short
  ($$SELECT formula('    CALC   3', '    CALC   0')$$),           -- three symbols counted, none there
  ($$SELECT formula('    CALC   011                   A', '    CALC   0')$$),
  ($$SELECT formula('    CALC   0', '    CALC   2   12')$$),      -- two instructions counted, one there
  ($$SELECT formula('    CALC  -1', '    CALC   0')$$),           -- not a count
  ($$SELECT formula('    CALC   0', E'    CALC   1\n  99')$$),    -- a line end inside
  ($$SELECT formula('    CALC   0', '    CALC   0')$$),           -- empty, but a formula
  ($$SELECT 'no second line'::formula$$),
  ($$SELECT E'    CALC   0\nno header'::formula$$)
) AS cases(q);

-- Sources that do not compile: formcomp's messages, the first as the
-- ERROR, the others as its detail.
SELECT refusal(format('SELECT formula_compile(%L)', source)) FROM (VALUES
  (E'method X\ninput A;\noutput R;\nproc\nR = Q;\nendp\n'),
  (E'method X\ninput A;\noutput R;\nproc\nR = Q + P;\nendp\n'),
  (E'method X\ninput A;\noutput R;\nproc\nR = = 1;\nendp\n'),
  (E'method X\ninput A;\nlocal A;\nproc\nendp\n'),
  (E'method TOOLONGNAME\ninput a;\noutput r;\nproc\nr = a;\nendp\n'),
  (repeat('a', 20000)),
  ('')
) AS sources(source);
