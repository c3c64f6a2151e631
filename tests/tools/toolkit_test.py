"""formeval --list, --trace and --csv as real processes on real files.

Usage: toolkit_test.py FORMEVAL FORMCOMP SOURCE_ROOT

Listings are compared with what formcomp -d prints for the same sources: the
sources under tests/tools/sources/ and examples/, and every seed of the
compiler's fuzz corpus that compiles.
"""
import glob
import math
import os
import pty
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

FORMEVAL = None
FORMCOMP = None
ROOT = None


def symbol_record(tipo, scope, text):
    return f"{tipo}{scope}{text:>20}"


def instruction_record(kind, value):
    return f"{kind}{value:4d}"


def shortest(value):
    """The shortest text that reads back as the same double, as formeval prints it."""
    text = repr(float(value))
    if text.endswith(".0"):
        text = text[:-2]
    return text


class Folder(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()

    def tearDown(self):
        shutil.rmtree(self.folder)

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, text, mode="w"):
        with open(self.path(name), mode, **({} if "b" in mode else {"newline": ""})) as file:
            file.write(text)

    def read(self, name):
        with open(self.path(name), newline="") as file:
            return file.read()

    def compile(self, source, *options):
        return subprocess.run([FORMCOMP, *options], input=source, cwd=self.folder, capture_output=True,
                              text=True, timeout=30)

    def formeval(self, *args, **kwargs):
        return subprocess.run([FORMEVAL, *args], cwd=self.folder, capture_output=True, text=True, timeout=120,
                              **kwargs)


def read_source(name):
    with open(os.path.join(ROOT, "tests", "tools", "sources", name)) as file:
        return file.read()


def corpus_sources():
    """(label, source text) of every source the listings are checked on."""
    paths = sorted(glob.glob(os.path.join(ROOT, "tests", "tools", "sources", "*.frm")))
    paths += sorted(glob.glob(os.path.join(ROOT, "examples", "*.frm")))
    paths += sorted(p for p in glob.glob(os.path.join(ROOT, "fuzz", "compiler", "corpus", "**", "*"), recursive=True)
                    if os.path.isfile(p))
    for path in paths:
        with open(path, encoding="latin-1", newline="") as file:
            yield os.path.relpath(path, ROOT), file.read()


class Listing(Folder):
    def test_listings_match_formcomp_d_on_the_corpus(self):
        compared = 0
        for label, source in corpus_sources():
            with self.subTest(source=label):
                for name in os.listdir(self.folder):
                    os.remove(self.path(name))
                compiled = subprocess.run([FORMCOMP, "-d"], input=source.encode("latin-1"), cwd=self.folder,
                                          capture_output=True, timeout=30)
                written = sorted(n for n in os.listdir(self.folder) if n.endswith(".obj"))
                if compiled.returncode != 0 or len(written) != 1:
                    continue  # seeds that do not compile have no listing
                name = written[0][:-4]
                printed = compiled.stdout.decode("latin-1").splitlines(keepends=True)
                self.assertEqual(printed[-1], "Parsing ok\n")
                # The compiled texts hold no labels: only the label title remains.
                expected = "".join(line for line in printed[:-1]
                                   if not line.startswith("Lab: ") or line == "Lab: address, declar, name\n")
                listed = self.formeval("--list", name)
                self.assertEqual((listed.returncode, listed.stderr), (0, ""))
                self.assertEqual(listed.stdout, expected)
                compared += 1
        self.assertGreaterEqual(compared, 6)

    def test_formula_without_labels_lists_exactly_as_formcomp_d(self):
        source = "method CALC input A; output R; proc R = A * 2.50 - 1; endp"
        compiled = self.compile(source, "-d")
        listed = self.formeval("--list", "CALC")
        self.assertEqual(listed.stdout + "Parsing ok\n", compiled.stdout)
        self.assertIn("Var: #   3    3     1                 2.50\n", listed.stdout)

    def test_values_that_name_nothing_are_listed_as_numbers(self):
        self.write("ODD.sym", "     ODD   1" + symbol_record(1, 1, "a"))
        self.write("ODD.obj", "     ODD   5" + "".join(instruction_record(k, v) for k, v in
                                                       ((2, 1), (2, 5), (1, 42), (7, 3), (1, 99))))
        listed = self.formeval("--list", "ODD")
        self.assertEqual(listed.returncode, 0)
        self.assertEqual(listed.stdout,
                         "Var: # ord tipo, scope, name\n"
                         "Var: #   1    1     1                    a\n"
                         "Lab: address, declar, name\n"
                         "Pol: #ord        tipo  riferimento\n"
                         "Pol:   1    Operando        a\n"
                         "Pol:   2    Operando        5\n"
                         "Pol:   3   Operatore       42\n"
                         "Pol:   4           7        3\n"
                         "Pol:   5   Operatore     STOP\n")

    def test_refusals(self):
        self.compile("method CALC input A; output R; proc R = A * 2; endp")
        for args in (("--list",), ("--list", "CALC", "1"), ("--list", "--trace", "CALC")):
            result = self.formeval(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("uso: formeval", result.stderr)
        code = self.read("CALC.obj")
        self.write("CALC.obj", code[12:])
        result = self.formeval("--list", "CALC")
        self.assertEqual((result.returncode, result.stdout), (2, ""))
        self.assertIn("CALC.obj non ha l'intestazione", result.stderr)


def trace_line(address, kind, operand, stack):
    return f"Trc: {address:3d} {kind:>11}  {operand:>7} [{' '.join(stack)}]\n"


class Trace(Folder):
    def test_worked_example(self):
        self.compile("method CALC input A; output R; proc R = A * 2; endp")
        result = self.formeval("--trace", "CALC", "21")
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertEqual(result.stdout,
                         "Inp: A = 21\n"
                         "Trc:   1    Operando        A [21]\n"
                         "Trc:   2    Operando        2 [21 2]\n"
                         "Trc:   3   Operatore     MULT [42]\n"
                         "Trc:   4 Riferimento        2 [42 2]\n"
                         "Trc:   5   Operatore   ASSIGN []\n"
                         "Ass: R = 42\n"
                         "Trc:   6   Operatore     STOP []\n"
                         "Out: 42\n")

    def test_while_loop_runs_twice_and_jumps_back(self):
        self.compile("method W input n; output r; proc while (n > 0) r = r + n; n = n - 1; end endp")
        result = self.formeval("--trace", "W", "2")
        self.assertEqual(result.returncode, 0)
        test = lambda n: [trace_line(1, "Operando", "n", [n]), trace_line(2, "Operando", "0", [n, "0"]),
                          trace_line(3, "Operatore", "LGT", ["1" if n != "0" else "0"]),
                          trace_line(4, "Riferimento", "18", ["1" if n != "0" else "0", "18"]),
                          trace_line(5, "Operatore", "BRF", [])]
        body = lambda r, n, new_r, new_n: [
            trace_line(6, "Operando", "r", [r]), trace_line(7, "Operando", "n", [r, n]),
            trace_line(8, "Operatore", "PLUS", [new_r]), trace_line(9, "Riferimento", "2", [new_r, "2"]),
            trace_line(10, "Operatore", "ASSIGN", []), f"Ass: r = {new_r}\n",
            trace_line(11, "Operando", "n", [n]), trace_line(12, "Operando", "1", [n, "1"]),
            trace_line(13, "Operatore", "MINUS", [new_n]), trace_line(14, "Riferimento", "1", [new_n, "1"]),
            trace_line(15, "Operatore", "ASSIGN", []), f"Ass: n = {new_n}\n",
            trace_line(16, "Riferimento", "1", ["1"]), trace_line(17, "Operatore", "BR", [])]
        expected = (["Inp: n = 2\n"] + test("2") + body("0", "2", "2", "1") + test("1") + body("2", "1", "3", "0")
                    + test("0") + [trace_line(18, "Operatore", "STOP", []), "Out: 3\n"])
        self.assertEqual(result.stdout, "".join(expected))

    def test_zero_divisor_leaves_the_stack_short(self):
        self.compile("method D input a; output r; proc r = a / 0; endp")
        result = self.formeval("--trace", "D", "5")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stderr, "Errore: Divisione per zero\n")
        self.assertEqual(result.stdout,
                         "Inp: a = 5\n" + trace_line(1, "Operando", "a", ["5"]) +
                         trace_line(2, "Operando", "0", ["5", "0"]) + trace_line(3, "Operatore", "DIV", []) +
                         trace_line(4, "Riferimento", "2", ["2"]) + trace_line(5, "Operatore", "ASSIGN", []) +
                         "Ass: r = 0\n" + trace_line(6, "Operatore", "STOP", []) + "Out: 0\n")
        # On one stream, the message comes right after the line of its DIV.
        merged = subprocess.run([FORMEVAL, "--trace", "D", "5"], cwd=self.folder, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True, timeout=120)
        self.assertIn(trace_line(3, "Operatore", "DIV", []) + "Errore: Divisione per zero\n" +
                      trace_line(4, "Riferimento", "2", ["2"]), merged.stdout)

    def test_trace_ends_with_what_formeval_prints(self):
        self.compile(read_source("arithmetic.frm"))
        for inputs in (("1", "2"), ("-7.25", "3"), ("1e3", "0.1")):
            traced = self.formeval("--trace", "ARITH", *inputs)
            plain = self.formeval("ARITH", *inputs)
            self.assertEqual(traced.returncode, 0)
            self.assertEqual(traced.stdout.splitlines()[-1], "Out: " + plain.stdout.strip())
            # static and inout start at 0: the first assignment to s is x mod 3.
            self.assertIn(f"Ass: s = {shortest(float(inputs[0]) % 3 if float(inputs[0]) >= 0 else -((-float(inputs[0])) % 3))}\n",
                          traced.stdout)

    def test_deep_stacks_show_their_top_values(self):
        # message leaves its value on the stack: one more per pass.
        self.compile("method M input n; output r; proc while (n > 0) message n n = n - 1; end endp")
        result = self.formeval("--trace", "M", "20")
        self.assertEqual(result.returncode, 0)
        lines = result.stdout.splitlines()
        self.assertEqual(lines[-2], "Trc:  15   Operatore     STOP [+4: 16 15 14 13 12 11 10 9 8 7 6 5 4 3 2 1]")
        # The 16th pass pushes 5: sixteen values, all shown; the 17th pushes 4.
        self.assertIn("Trc:   6    Operando        n [20 19 18 17 16 15 14 13 12 11 10 9 8 7 6 5]\n",
                      result.stdout)
        self.assertIn("Trc:   6    Operando        n [+1: 19 18 17 16 15 14 13 12 11 10 9 8 7 6 5 4]\n",
                      result.stdout)
        self.assertNotIn("[+1: 20", result.stdout)

    def test_endless_loop_is_cut_off(self):
        self.compile("method E input a; output r; proc label L: goto L endp")
        result = self.formeval("--trace", "E", "1")
        self.assertEqual(result.returncode, 2)
        self.assertIn("traccia interrotta dopo 1000000 istruzioni", result.stderr)
        self.assertEqual(result.stdout.count("\nTrc: "), 1000000)
        self.assertNotIn("Out:", result.stdout)

    def test_input_count_and_numbers_are_checked(self):
        self.compile("method CALC input A; output R; proc R = A * 2; endp")
        self.assertIn("numero di ingressi errato", self.formeval("--trace", "CALC").stderr)
        self.assertIn("non e' un numero: x", self.formeval("--trace", "CALC", "x").stderr)


class Csv(Folder):
    def setUp(self):
        super().setUp()
        self.compile("method CALC input A; output R; proc R = A * 2; endp")

    def csv(self, text, *extra, name="CALC"):
        self.write("in.csv", text)
        return self.formeval("--csv", name, "in.csv", *extra)

    def test_round_trip_of_many_numbers(self):
        generator = random.Random(8)
        values = [generator.uniform(-1e6, 1e6) for _ in range(3000)]
        values += [0.0, -0.0, 1e-300, 1e300, 0.1, 5e-324, 123456789012345678.0, 100000.0, 1e15, 1e16, 1e-5,
                   9.9e-6, 2.5e-5]
        values += [float(generator.randint(-10**9, 10**9)) for _ in range(1000)]
        result = self.csv("".join(repr(v) + "\n" for v in values))
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        lines = result.stdout.splitlines()
        self.assertEqual(lines[0], "A,R")
        self.assertEqual(len(lines), len(values) + 1)
        for value, line in zip(values, lines[1:]):
            given, output = line.split(",")
            for text, expected in ((given, value), (output, value * 2)):
                self.assertEqual(float(text), expected, line)
                self.assertEqual(math.copysign(1, float(text)), math.copysign(1, expected), line)
                # No exponent for everyday magnitudes.
                if 1e-5 <= abs(expected) < 1e16:
                    self.assertNotIn("e", text, line)

    def test_rows_evaluate_as_fresh_calls_of_formula(self):
        # static, inout and output variables start every row at 0, as every call of Formula does.
        self.compile("method S input a; output r; static s; inout t; proc s = s + 1; t = t + a; r = s * 1000 + t; endp")
        rows = ["1", "2", "-3.5", "4"]
        result = self.csv("".join(r + "\n" for r in rows), name="S")
        self.assertEqual(result.returncode, 0)
        plain = [self.formeval("S", r).stdout.strip() for r in rows]
        self.assertEqual(result.stdout.splitlines()[1:], [f"{shortest(float(r))},{p}" for r, p in zip(rows, plain)])
        self.compile(read_source("branches.frm"))
        pairs = [(a, b) for a in ("-2", "0", "3", "11", "10.5") for b in ("-1", "0", "3", "11")]
        result = self.csv("a,b\n" + "".join(f"{a},{b}\n" for a, b in pairs), name="BRANCHES")
        self.assertEqual(result.returncode, 0)
        outputs = [line.split(",")[2] for line in result.stdout.splitlines()[1:]]
        self.assertEqual(outputs, [self.formeval("BRANCHES", a, b).stdout.strip() for a, b in pairs])

    def test_header_quotes_line_ends_and_byte_order_mark(self):
        expected = "A,R\n21,42\n-1.5,-3\n0.25,0.5\n"
        for text in ("21\n-1.5\n0.25\n", "A\n21\n-1.5\n0.25", "A\r\n21\r\n-1.5\r\n0.25\r\n",
                     "\ufeffA\n 21 \n\"-1.5\"\n  \"0.25\"  \n", "\"A\"\n21\n-1.5\n+0.25\n"):
            result = self.csv(text)
            self.assertEqual((result.returncode, result.stdout, result.stderr), (0, expected, ""), repr(text))

    def test_header_must_name_the_inputs_in_order(self):
        self.compile("method TWO input a, b; output r; proc r = a - b; endp")
        self.assertEqual(self.csv("a,b\n5,3\n", name="TWO").stdout, "a,b,r\n5,3,2\n")
        for header in ("b,a", "a", "A,B", "a,b,c", "x,1"):
            result = self.csv(header + "\n5,3\n", name="TWO")
            self.assertEqual((result.returncode, result.stdout), (2, "a,b,r\n"), header)
            self.assertIn("in.csv, riga 1: non e' una riga di numeri ne' l'intestazione attesa a,b", result.stderr)

    def test_empty_file_and_header_alone(self):
        for text in ("", "A\n"):
            result = self.csv(text)
            self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "A,R\n", ""), repr(text))

    def test_bad_rows_are_named_and_stop_the_run(self):
        cases = (
            ("1\n2\n\n4\n", 3, "0 valori, la formula ne chiede 1"),
            ("1\n2,3\n", 2, "2 valori, la formula ne chiede 1"),
            ("1\n2,\n", 2, "2 valori, la formula ne chiede 1"),
            ("A\n1\nabc\n", 3, "il valore 1 non e' un numero: abc"),
            ("1\n2\n1,5\n", 3, "2 valori"),
            ("1\n0x10\n", 2, "il valore 1 non e' un numero: 0x10"),
            ("1\n\"2\n", 2, "virgolette non chiuse"),
            ("1\n\"2\"x\n", 2, "testo dopo le virgolette di chiusura"),
            ("1\n2\x00\n", 2, "il valore 1 non e' un numero: 2\\x00"),
            ("1\n" + "9" * (1 << 20) + "1\n", 2, "riga piu' lunga di 1048576 caratteri"),
            ("1\n" + "9" * (1 << 20) + "1", 2, "riga piu' lunga di 1048576 caratteri"),
        )
        for text, row, message in cases:
            result = self.csv(text)
            self.assertEqual(result.returncode, 2, repr(text[:20]))
            self.assertIn(f"formeval: in.csv, riga {row}: {message}", result.stderr, repr(text[:20]))
            # The rows before the bad one were evaluated and written.
            self.assertEqual(result.stdout.count("\n"), row - (2 if text.startswith("A\n") else 1) + 1)

    def test_output_file_is_replaced_only_when_every_row_is_good(self):
        self.write("out.csv", "old\n")
        result = self.csv("1\nx\n", "-o", "out.csv")
        self.assertEqual((result.returncode, result.stdout), (2, ""))
        self.assertEqual(self.read("out.csv"), "old\n")
        self.assertEqual(sorted(os.listdir(self.folder)), ["CALC.obj", "CALC.sym", "in.csv", "out.csv"])
        result = self.formeval("--csv", "-o", "out.csv", "CALC", "in.csv")
        self.assertEqual(result.returncode, 2)
        self.write("in.csv", "1\n2\n")
        for args in (("--csv", "CALC", "in.csv", "-o", "out.csv"), ("--csv", "-o", "out.csv", "CALC", "in.csv")):
            result = self.formeval(*args)
            self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "", ""))
            self.assertEqual(self.read("out.csv"), "A,R\n1,2\n2,4\n")
        self.assertEqual(sorted(os.listdir(self.folder)), ["CALC.obj", "CALC.sym", "in.csv", "out.csv"])

    def test_a_line_of_the_longest_length_with_either_line_end(self):
        longest = " " * ((1 << 20) - 1) + "1"
        for end in ("\n", "\r\n"):
            result = self.csv("1" + end + longest + end + "2" + end)
            self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "A,R\n1,2\n1,2\n2,4\n", ""),
                             repr(end))
            result = self.csv("1" + end + longest + " " + end)
            self.assertEqual(result.returncode, 2, repr(end))
            self.assertIn("riga 2: riga piu' lunga di 1048576 caratteri", result.stderr, repr(end))

    def test_output_file_is_put_in_place_without_touching_other_files(self):
        # A file named as a temporary file would be stays, on success and on failure.
        self.write("out.csv.tmp", "mine\n")
        self.assertEqual(self.csv("1\n", "-o", "out.csv").returncode, 0)
        self.assertEqual(self.csv("1\nx\n", "-o", "out.csv").returncode, 2)
        self.assertEqual((self.read("out.csv"), self.read("out.csv.tmp")), ("A,R\n1,2\n", "mine\n"))
        # Two runs writing one output at once: both succeed, and the file is one run's output.
        rows = 200000
        self.write("one.csv", "".join(f"{i}\n" for i in range(1, rows)))
        self.write("two.csv", "".join(f"{-i}\n" for i in range(1, rows)))
        outputs = {"A,R\n" + "".join(f"{sign}{i},{sign}{2 * i}\n" for i in range(1, rows)) for sign in ("", "-")}
        for round in range(8):
            runs = [subprocess.Popen([FORMEVAL, "--csv", "CALC", name, "-o", "out.csv"], cwd=self.folder,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE) for name in ("one.csv", "two.csv")]
            for run in runs:
                self.assertEqual((run.wait(timeout=120), run.stderr.read()), (0, b""), round)
                run.stderr.close()
            self.assertIn(self.read("out.csv"), outputs, round)
        self.assertEqual(sorted(os.listdir(self.folder)),
                         ["CALC.obj", "CALC.sym", "in.csv", "one.csv", "out.csv", "out.csv.tmp", "two.csv"])

    def test_files_that_cannot_be_used(self):
        result = self.formeval("--csv", "CALC", "missing.csv")
        self.assertEqual(result.returncode, 2)
        self.assertIn("impossibile leggere il file missing.csv", result.stderr)
        result = self.csv("1\n", "-o", os.path.join("no", "such", "folder.csv"))
        self.assertEqual(result.returncode, 2)
        self.assertIn("impossibile scrivere il file no/such/folder.csv", result.stderr)
        for args in (("--csv", "CALC"), ("--csv", "CALC", "in.csv", "-o"), ("--csv", "CALC", "in.csv", "x.csv"),
                     ("--csv", "CALC", "in.csv", "-o", "in.csv")):
            result = self.formeval(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("uso: formeval", result.stderr)
        self.assertEqual(self.read("in.csv"), "1\n")

    def test_zero_divisor_names_its_row(self):
        self.compile("method D input a, b; output r; proc r = a / b; endp")
        result = self.csv("6,3\n1,0\n8,4\n", name="D")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout, "a,b,r\n6,3,2\n1,0," + self.formeval("D", "1", "0").stdout + "8,4,2\n")
        self.assertEqual(result.stderr,
                         "Errore: Divisione per zero\nformeval: in.csv, riga 2: divisione per zero nella valutazione\n")

    def test_formula_without_inputs_takes_empty_rows(self):
        self.compile("method Z output r; proc r = 7; endp")
        self.assertEqual(self.csv("\n\n\n", name="Z").stdout, "r\n7\n7\n7\n")
        result = self.csv("\n1\n", name="Z")
        self.assertEqual(result.returncode, 2)
        self.assertIn("riga 2: 1 valori, la formula ne chiede 0", result.stderr)

    def test_progress_bar_only_on_a_terminal(self):
        rows = 1500000
        with open(self.path("in.csv"), "w") as file:
            file.write("".join(f"{i}.123456\n" for i in range(rows)))
        self.assertGreater(os.path.getsize(self.path("in.csv")), 16 << 20)
        controller, terminal = pty.openpty()
        try:
            run = subprocess.run([FORMEVAL, "--csv", "CALC", "in.csv", "-o", "out.csv"], cwd=self.folder,
                                 stderr=terminal, stdout=subprocess.DEVNULL, timeout=300)
            os.close(terminal)
            terminal = None
            shown = b""
            while True:
                try:
                    chunk = os.read(controller, 65536)
                except OSError:
                    break
                if not chunk:
                    break
                shown += chunk
        finally:
            if terminal is not None:
                os.close(terminal)
            os.close(controller)
        self.assertEqual(run.returncode, 0)
        self.assertRegex(shown.decode(), r"\r\[[#.]{30}\] +\d+%  \d+ righe")
        self.assertTrue(shown.endswith(b"\r"))
        with open(self.path("out.csv")) as file:
            self.assertEqual(sum(1 for _ in file), rows + 1)
        result = self.formeval("--csv", "CALC", "in.csv", "-o", "out.csv")
        self.assertEqual((result.returncode, result.stderr), (0, ""))


if __name__ == "__main__":
    FORMEVAL = os.path.abspath(sys.argv.pop(1))
    FORMCOMP = os.path.abspath(sys.argv.pop(1))
    ROOT = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
