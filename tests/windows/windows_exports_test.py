#!/usr/bin/env python3
"""The Windows-only exports of VENTUS, run for real under Wine.

    windows_exports_test.py spooler  --wine W --batch EXE --work DIR --spooler-state FILE
    windows_exports_test.py dialog   --wine W --batch EXE --work DIR --spooler-state FILE
                                     --screenshots DIR
    windows_exports_test.py database --wine W --batch EXE --work DIR --postgres-state FILE
                                     --odbc-folder DIR --datalength SO

Each part writes a batch of calls for export_batch.exe, runs it under Wine once
(the Wine prefix is the caller's WINEPREFIX) and checks every call's result and
its effects from outside Wine:

- spooler: PrintFile by queue name through Wine's winspool to the private CUPS
  scheduler (the bytes that reach its AppSocket listener), to an output file
  named absolutely and relatively, and its failures; DefaultPrinter against
  the scheduler's default queue, and SetupDialog asked for that printer
  without a dialog; the text of every message box, read from Wine's relay
  trace of user32.MessageBoxA.
- dialog: SetupDialog under Xvfb, driven with xdotool: OK after changing copies
  and pages, then Cancel; a screenshot of each state is kept.
- database: LoadBin, SaveBin and EqualBin through Wine's odbc32 and the host's
  unixODBC on SQLite and PostgreSQL, every result code, the stored bytes read
  back with sqlite3 and psql.

Prints one line per check; exit code 0 when all passed, 1 when any failed, 77
when a program the part needs is missing (CTest reports a skip).
"""
import argparse
import os
import sys

from document_exports import database_part
from print_dialog import dialog_part
from spooler_exports import spooler_part
from wine_batch import Checks


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("part", choices=["spooler", "dialog", "database"])
    parser.add_argument("--wine", required=True)
    parser.add_argument("--batch", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--spooler-state")
    parser.add_argument("--screenshots")
    parser.add_argument("--postgres-state")
    parser.add_argument("--odbc-folder")
    parser.add_argument("--datalength")
    arguments = parser.parse_args()
    for name in ("batch", "work", "spooler_state", "screenshots", "postgres_state", "odbc_folder",
                 "datalength"):
        if getattr(arguments, name):
            setattr(arguments, name, os.path.abspath(getattr(arguments, name)))
    checks = Checks()
    {"spooler": spooler_part, "dialog": dialog_part, "database": database_part}[arguments.part](
        arguments, checks)
    print(f"{checks.failures} failure(s)")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
