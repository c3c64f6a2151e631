"""formeval --check, --compare and --coverage as real processes on real files.

Usage: formula_checks_test.py FORMEVAL FORMCOMP SOURCE_ROOT
"""
import os
import shutil
import subprocess
import sys
import unittest

import toolkit_test
from toolkit_test import Folder


def premium_source():
    with open(os.path.join(toolkit_test.ROOT, "examples", "premium.frm")) as file:
        return file.read()


# Rows of PREMIO (eta, anni_senza_sinistri, capitale) that reach every age band.
PREMIUM_ROWS = "eta,anni_senza_sinistri,capitale\n20,0,100000\n30,5,200000\n40,12,150000\n70,3,90000\n"


class Check(Folder):
    def setUp(self):
        super().setUp()
        self.compile(premium_source())
        self.write("rows.csv", PREMIUM_ROWS)
        self.assertEqual(self.formeval("--csv", "PREMIO", "rows.csv", "-o", "golden.csv").returncode, 0)

    def test_golden_file_of_csv_passes_and_a_changed_value_fails_at_its_line(self):
        result = self.formeval("--check", "PREMIO", "golden.csv")
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "4 righe controllate, 0 diverse\n", ""))
        lines = self.read("golden.csv").splitlines()
        fields = lines[2].split(",")
        obtained = fields[-1]
        fields[-1] = str(float(obtained) + 0.5)
        lines[2] = ",".join(fields)
        self.write("golden.csv", "\n".join(lines) + "\n")
        result = self.formeval("--check", "PREMIO", "golden.csv")
        self.assertEqual((result.returncode, result.stdout),
                         (1, f"riga 3: atteso {fields[-1]}, ottenuto {obtained}\n4 righe controllate, 1 diverse\n"))
        # A tolerance decides both ways.
        self.assertEqual(self.formeval("--check", "PREMIO", "golden.csv", "--tolerance", "0.4").returncode, 1)
        self.assertEqual(self.formeval("--check", "PREMIO", "golden.csv", "--tolerance", "0.5").returncode, 0)

    def test_unusable_input(self):
        for args in (("--tolerance", "-1"), ("--tolerance", "x")):
            result = self.formeval("--check", "PREMIO", "golden.csv", *args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("la tolleranza non e' un numero non negativo", result.stderr)
        # The expected result is one more column than --csv takes.
        result = self.formeval("--check", "PREMIO", "rows.csv")
        self.assertEqual(result.returncode, 2)
        self.assertIn("rows.csv, riga 1: non e' una riga di numeri ne' l'intestazione attesa", result.stderr)


class Compare(Folder):
    def setUp(self):
        super().setUp()
        source = premium_source()
        self.compile(source)
        os.mkdir(self.path("nuova"))
        # The middle band's rate goes up: only the rows aged 25 to 64 change.
        changed = source.replace("tasso = 2.9;", "tasso = 3.1;")
        self.assertNotEqual(changed, source)
        subprocess.run([toolkit_test.FORMCOMP], input=changed, cwd=self.path("nuova"), capture_output=True,
                       text=True, check=True, timeout=30)
        self.write("rows.csv", PREMIUM_ROWS)

    def test_only_the_rows_that_differ_are_written_with_their_difference(self):
        result = self.formeval("--compare", "PREMIO", "nuova/PREMIO", "rows.csv", "-o", "changes.csv")
        self.assertEqual((result.returncode, result.stdout), (1, ""))
        before = {row: float(self.formeval("PREMIO", *row.split(",")).stdout) for row in ("30,5,200000", "40,12,150000")}
        after = {row: float(self.formeval("nuova/PREMIO", *row.split(",")).stdout) for row in before}
        lines = self.read("changes.csv").splitlines()
        self.assertEqual(lines[0], "eta,anni_senza_sinistri,capitale,prima,dopo,differenza")
        self.assertEqual([line.rsplit(",", 3)[0] for line in lines[1:]], list(before))
        for line in lines[1:]:
            row, old, new, difference = line.rsplit(",", 3)
            self.assertEqual((float(old), float(new), float(difference)),
                             (before[row], after[row], after[row] - before[row]))
        largest = max(before, key=lambda row: abs(after[row] - before[row]))
        self.assertIn("4 righe lette, 2 diverse", result.stderr)
        self.assertIn(f"alla riga {2 + list(before).index(largest) + 1}", result.stderr)

    def test_identical_formulas_and_formulas_of_other_inputs(self):
        result = self.formeval("--compare", "PREMIO", "PREMIO", "rows.csv")
        self.assertEqual((result.returncode, result.stdout),
                         (0, "eta,anni_senza_sinistri,capitale,prima,dopo,differenza\n"))
        self.compile("method CALC input A; output R; proc R = A * 2; endp")
        result = self.formeval("--compare", "PREMIO", "CALC", "rows.csv")
        self.assertEqual((result.returncode, result.stdout), (2, ""))
        self.assertIn("le formule PREMIO e CALC chiedono 3 e 1 ingressi", result.stderr)


class Coverage(Folder):
    BRANCHES = ("method B\n"          # 1
                "input a;\n"          # 2
                "output r;\n"         # 3
                "proc\n"              # 4
                "if a < 25 then\n"    # 5
                "    r = a * 4.5;\n"  # 6
                "else\n"              # 7
                "    r = a * 2.9;\n"  # 8
                "end\n"               # 9
                "while (a > 0)\n"     # 10
                "    a = a - 1;\n"    # 11
                "end\n"               # 12
                "endp\n")             # 13

    def counts(self, text):
        """COUNT of every line of gcov's text form, by line number."""
        counts = {}
        for line in text.splitlines()[:-1]:
            count, number, _ = line.split(":", 2)
            counts[int(number)] = count.strip()
        return counts

    def test_a_branch_no_row_takes_is_never_run(self):
        self.write("b.frm", self.BRANCHES)
        self.write("rows.csv", "a\n1\n2\n")
        result = self.formeval("--coverage", "b.frm", "rows.csv", "--lcov", "b.info")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.counts(result.stdout),
                         {1: "-", 2: "-", 3: "-", 4: "-", 5: "2", 6: "2", 7: "-", 8: "#####", 9: "-",
                          10: "5", 11: "3", 12: "-", 13: "-"})
        self.assertEqual(result.stdout.splitlines()[-1], "righe eseguite: 4 di 5 (80.00%)")
        tracefile = self.read("b.info").splitlines()
        self.assertIn("DA:8,0", tracefile)
        self.assertEqual(tracefile[-3:], ["LF:5", "LH:4", "end_of_record"])
        self.assertEqual(tracefile[1], "SF:" + self.path("b.frm"))
        # genhtml reads it as the usual report.
        report = subprocess.run(["genhtml", "-q", "-o", self.path("html"), self.path("b.info")], cwd=self.folder,
                                capture_output=True, text=True, timeout=120)
        self.assertEqual(report.returncode, 0, report.stderr)
        self.assertTrue(os.path.exists(self.path("html/index.html")))

    def test_every_statement_of_straight_line_code_runs_once_a_row(self):
        self.write("s.frm", "method S\ninput a, b;\noutput r;\nlocal t;\nproc\nt = a + b;\nr = t * 2; r = r - 1;\nendp\n")
        self.write("rows.csv", "".join(f"{k},{k + 1}\n" for k in range(7)))
        result = self.formeval("--coverage", "s.frm", "rows.csv")
        self.assertEqual(result.returncode, 0, result.stderr)
        counts = self.counts(result.stdout)
        self.assertEqual((counts[6], counts[7]), ("7", "7"))
        self.assertEqual({k for k, v in counts.items() if v != "-"}, {6, 7})

    def test_a_source_that_does_not_compile_gives_formcomps_messages(self):
        self.write("bad.frm", "method X\ninput a;\nproc\nb = 1;\nendp\n")
        self.write("rows.csv", "1\n")
        result = self.formeval("--coverage", "bad.frm", "rows.csv")
        self.assertEqual((result.returncode, result.stdout), (2, "Variabile b non definita linea 4\n"))
        self.assertEqual(os.listdir(self.folder).count("X.sym"), 0)


if __name__ == "__main__":
    toolkit_test.FORMEVAL = os.path.abspath(sys.argv.pop(1))
    toolkit_test.FORMCOMP = os.path.abspath(sys.argv.pop(1))
    toolkit_test.ROOT = os.path.abspath(sys.argv.pop(1))
    if shutil.which("genhtml") is None:
        sys.exit("genhtml is missing: scripts/install-deps.sh installs it (Debian's lcov)")
    unittest.main(verbosity=2)
