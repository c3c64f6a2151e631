#!/usr/bin/env python3
"""A host application in Python: evaluates a compiled formula through ZERIZI.

    calc_host.py [--library PATH] [SYMFILE OBJFILE] [INPUT ...]

The library is taken from --library, else from the environment variable
ZERIZI_LIBRARY, else found by the system's loader as libZERIZI.so. Without
files, the CALC example (R = A * 2) is evaluated.
"""
import argparse
import ctypes
import os
import sys

# The CALC example: symbol text and code text, exactly as formcomp writes them.
CALC_SYMBOLS = "    CALC   3" "11                   A" "12                   R" "31                   2"
CALC_CODE = "    CALC   62   12   31   43   21   11  99"


def load_zerizi(path):
    library = ctypes.CDLL(path or os.environ.get("ZERIZI_LIBRARY") or "libZERIZI.so")
    # int32_t Formula(double *values, const char *const *texts)
    library.Formula.argtypes = [ctypes.POINTER(ctypes.c_double), ctypes.POINTER(ctypes.c_char_p)]
    library.Formula.restype = ctypes.c_int32
    return library


def evaluate(library, symbols, code, inputs):
    """Returns element 0 after the call; element 0 starts at 0.0."""
    values = (ctypes.c_double * (len(inputs) + 1))(0.0, *inputs)
    # The texts are only read during the call; bytes in the "C" 8-bit form.
    texts = (ctypes.c_char_p * 2)(symbols.encode("latin-1"), code.encode("latin-1"))
    library.Formula(values, texts)
    return values[0]


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
    library = load_zerizi(arguments.library)
    inputs = [float(word) for word in words] or [21.0]
    print(repr(evaluate(library, symbols, code, inputs)))


if __name__ == "__main__":
    sys.exit(main())
