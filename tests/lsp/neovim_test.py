"""A real editor as the client: headless Neovim opens a formula with an
error through its built-in LSP client; the test reads the diagnostics that
Neovim received and where its go-to-definition put the cursor.

Usage: neovim_test.py FORMULA_LSP
"""
import os
import subprocess
import sys
import tempfile
import unittest

SERVER = None
HERE = os.path.dirname(os.path.abspath(__file__))

SOURCE = (
    "method F\n"
    "input a;\n"
    "output r;\n"
    "proc\n"
    "goto Fine\n"
    "r = a * b;\n"
    "label Fine:\n"
    "endp\n")


class Neovim(unittest.TestCase):
    def test_diagnostics_and_definition_jump(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "f.frm")
            with open(path, "w") as file:
                file.write(SOURCE)
            result_path = os.path.join(folder, "result.txt")
            environment = dict(os.environ, FORMULA_LSP=SERVER, FORMULA_FILE=path, NVIM_RESULT=result_path,
                               JUMP_LINE="5", JUMP_COLUMN="6", XDG_CONFIG_HOME=folder,
                               XDG_DATA_HOME=folder, XDG_STATE_HOME=folder, XDG_CACHE_HOME=folder)
            subprocess.run(["nvim", "--headless", "-u", "NONE", "-i", "NONE", "-n",
                            "-c", "luafile " + os.path.join(HERE, "neovim_client.lua")],
                           env=environment, timeout=120, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
            with open(result_path) as file:
                lines = file.read().splitlines()
        self.assertIn("diagnostic 5 8 5 9 Variabile b non definita linea 6", lines)
        # "goto Fine" on line 5 jumps to "label Fine:" on line 7, at the name.
        self.assertEqual(lines[-1], "cursor 7 6")


if __name__ == "__main__":
    SERVER = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]], verbosity=1)
