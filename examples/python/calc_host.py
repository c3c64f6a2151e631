#!/usr/bin/env python3
"""A host application in Python: evaluates a compiled formula through ZERIZI_PREPARED.

    calc_host.py [--library PATH] [SYMFILE OBJFILE] [INPUT ...]

The formula is prepared once and then evaluated, as a host that evaluates it
for many rows would do; every evaluation gives what a call of Formula in
ZERIZI gives. The library is taken from --library, else from the environment
variable ZERIZI_PREPARED_LIBRARY, else found by the system's loader as
libZERIZI_PREPARED.so. Without files, the CALC example (R = A * 2) is evaluated.
"""
import argparse
import ctypes
import os
import sys

# The CALC example: symbol text and code text, exactly as formcomp writes them.
CALC_SYMBOLS = "    CALC   3" "11                   A" "12                   R" "31                   2"
CALC_CODE = "    CALC   62   12   31   43   21   11  99"


def load_library(path):
    library = ctypes.CDLL(path or os.environ.get("ZERIZI_PREPARED_LIBRARY") or "libZERIZI_PREPARED.so")
    # PreparedFormula *FormulaPrepare(const char *const *texts)
    library.FormulaPrepare.argtypes = [ctypes.POINTER(ctypes.c_char_p)]
    library.FormulaPrepare.restype = ctypes.c_void_p
    # int32_t FormulaEvaluate(PreparedFormula *formula, double *values)
    library.FormulaEvaluate.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_double)]
    library.FormulaEvaluate.restype = ctypes.c_int32
    # void FormulaRelease(PreparedFormula *formula)
    library.FormulaRelease.argtypes = [ctypes.c_void_p]
    library.FormulaRelease.restype = None
    return library


class PreparedFormula:
    """A formula prepared once; use it in a with statement, which releases it."""

    def __init__(self, library, symbols, code):
        self.library = library
        # The texts are copied by the library; bytes in the "C" 8-bit form.
        texts = (ctypes.c_char_p * 2)(symbols.encode("latin-1"), code.encode("latin-1"))
        self.handle = library.FormulaPrepare(texts)
        if not self.handle:
            raise MemoryError("FormulaPrepare failed")

    def evaluate(self, inputs):
        """Returns element 0 after the evaluation; element 0 starts at 0.0."""
        values = (ctypes.c_double * (len(inputs) + 1))(0.0, *inputs)
        self.library.FormulaEvaluate(self.handle, values)
        return values[0]

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.library.FormulaRelease(self.handle)
        self.handle = None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--library")
    parser.add_argument("words", nargs="*", help="[SYMFILE OBJFILE] INPUT ...")
    arguments = parser.parse_args()
    words = arguments.words
    symbols, code = CALC_SYMBOLS, CALC_CODE
    if len(words) >= 2 and words[0].endswith(".sym"):
        with open(words[0], encoding="latin-1", newline="") as file:
            symbols = file.read()
        with open(words[1], encoding="latin-1", newline="") as file:
            code = file.read()
        words = words[2:]
    library = load_library(arguments.library)
    inputs = [float(word) for word in words] or [21.0]
    with PreparedFormula(library, symbols, code) as formula:
        print(repr(formula.evaluate(inputs)))


if __name__ == "__main__":
    sys.exit(main())
