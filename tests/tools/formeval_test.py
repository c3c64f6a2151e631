"""formeval as a real process: output, messages and exit codes.

Usage: formeval_test.py FORMEVAL EXAMPLES_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

FORMEVAL = None
EXAMPLES = None


def symbol_record(tipo, scope, text):
    return f"{tipo}{scope}{text:>20}"


def instruction_record(kind, value):
    return f"{kind}{value:4d}"


class Formeval(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        for name in ("CALC.sym", "CALC.obj"):
            shutil.copy(os.path.join(EXAMPLES, name), self.folder)

    def tearDown(self):
        shutil.rmtree(self.folder)

    def run_formeval(self, *args):
        return subprocess.run([FORMEVAL, *args], cwd=self.folder, capture_output=True, text=True, timeout=30)

    def write(self, name, text):
        with open(os.path.join(self.folder, name), "w", newline="") as file:
            file.write(text)

    def test_worked_example(self):
        result = self.run_formeval("CALC", "21")
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "42\n", ""))

    def test_shortest_form_that_reads_back(self):
        for given, printed in (("0.1", "0.2"), ("-3", "-6"), ("1e300", "2e+300"), ("0.30000000000000004", "0.6000000000000001"), ("+2.5", "5")):
            result = self.run_formeval("CALC", given)
            self.assertEqual((result.returncode, result.stdout), (0, printed + "\n"), given)
            self.assertEqual(float(result.stdout), float(given) * 2)

    def test_missing_file(self):
        result = self.run_formeval("NOPE", "1")
        self.assertEqual(result.returncode, 2)
        self.assertIn("NOPE.sym", result.stderr)
        self.assertEqual(result.stdout, "")
        os.remove(os.path.join(self.folder, "CALC.obj"))
        result = self.run_formeval("CALC", "1")
        self.assertEqual(result.returncode, 2)
        self.assertIn("CALC.obj", result.stderr)

    def test_input_that_is_not_a_number(self):
        for bad in ("abc", "1,5", "2x", "", "0x10", "++1"):
            result = self.run_formeval("CALC", bad)
            self.assertEqual(result.returncode, 2, bad)
            self.assertIn("non e' un numero", result.stderr, bad)
            self.assertEqual(result.stdout, "", bad)

    def test_infinite_and_nan_inputs_are_refused(self):
        for bad in ("inf", "-inf", "+Infinity", "nan", "NaN", "1e400"):
            result = self.run_formeval("CALC", bad)
            self.assertEqual((result.returncode, result.stdout), (2, ""), bad)
            self.assertEqual(result.stderr, f"formeval: l'ingresso 1 non e' un numero: {bad}\n", bad)

    def test_help_and_version(self):
        for option in ("--help", "-h"):
            for args in ((option,), ("CALC", "21", option), ("--csv", option)):
                result = self.run_formeval(*args)
                self.assertEqual((result.returncode, result.stderr), (0, ""), args)
                self.assertTrue(result.stdout.startswith("uso: formeval NOME [INGRESSO ...]\n"), args)
                self.assertIn("--version", result.stdout)
        result = self.run_formeval("--version")
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertRegex(result.stdout, r"^formeval \(.+\) \d+\.\d+\.\d+\n$")
        # After "--", -h is a formula name like any other.
        result = self.run_formeval("--", "-h")
        self.assertEqual(result.returncode, 2)
        self.assertIn("impossibile leggere il file -h.sym", result.stderr)

    def test_formula_without_output_variable(self):
        symbols = "   NOOUT   2" + symbol_record(1, 1, "A") + symbol_record(1, 4, "B")
        code = "   NOOUT   4" + "".join(instruction_record(k, v) for k, v in ((2, 1), (3, 2), (1, 1), (1, 99)))
        self.write("NOOUT.sym", symbols)
        self.write("NOOUT.obj", code)
        warning = "formeval: la formula NOOUT non ha una variabile output: il risultato e' sempre 0\n"
        result = self.run_formeval("NOOUT", "7")
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "0\n", warning))
        result = self.run_formeval("--trace", "NOOUT", "7")
        self.assertEqual((result.returncode, result.stderr), (0, warning))
        self.assertTrue(result.stdout.endswith("Out: 0\n"))
        # A formula with an output says nothing more.
        self.assertEqual(self.run_formeval("CALC", "21").stderr, "")

    def test_wrong_number_of_inputs(self):
        for args in ((), ("1", "2")):
            result = self.run_formeval("CALC", *args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("numero di ingressi errato", result.stderr)

    def test_headerless_texts_are_refused(self):
        # What formcomp -b writes: the same records without the header.
        with open(os.path.join(EXAMPLES, "CALC.sym")) as file:
            symbols = file.read()
        with open(os.path.join(EXAMPLES, "CALC.obj")) as file:
            code = file.read()
        self.write("CALC.obj", code[12:])
        result = self.run_formeval("CALC", "21")
        self.assertEqual(result.returncode, 2)
        self.assertIn("CALC.obj non ha l'intestazione", result.stderr)
        self.assertIn("formcomp -b", result.stderr)
        self.write("CALC.obj", code)
        self.write("CALC.sym", symbols[12:])
        result = self.run_formeval("CALC", "21")
        self.assertEqual(result.returncode, 2)
        self.assertIn("CALC.sym non ha l'intestazione", result.stderr)

    def test_headerless_loops_of_every_length_are_refused(self):
        # Headerless code texts of 1 to 40 instructions: none passes for headered.
        for count in range(1, 41):
            code = "".join(instruction_record(2, 1) if k % 2 else instruction_record(1, 2) for k in range(count - 1))
            code += instruction_record(1, 99)
            self.write("CALC.obj", code)
            result = self.run_formeval("CALC", "1")
            self.assertEqual(result.returncode, 2, code)

    def test_usage_and_unknown_option(self):
        result = self.run_formeval()
        self.assertEqual(result.returncode, 2)
        self.assertIn("uso: formeval NOME", result.stderr)
        result = self.run_formeval("--nonsense", "CALC")
        self.assertEqual(result.returncode, 2)
        self.assertIn("opzione sconosciuta: --nonsense", result.stderr)

    def test_division_message_and_formula_without_inputs(self):
        symbols = "     DIV   2" + symbol_record(1, 2, "R") + symbol_record(3, 1, "0")
        code = "     DIV   6" + "".join(instruction_record(k, v) for k, v in
                                        ((2, 2), (2, 2), (1, 5), (3, 1), (1, 1), (1, 99)))
        self.write("DIV.sym", symbols)
        self.write("DIV.obj", code)
        result = self.run_formeval("DIV")
        self.assertEqual((result.returncode, result.stdout), (0, "0\n"))
        self.assertEqual(result.stderr, "Errore: Divisione per zero\n")


if __name__ == "__main__":
    FORMEVAL = os.path.abspath(sys.argv.pop(1))
    EXAMPLES = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
