#!/usr/bin/env python3
"""Checks the 32-bit Windows deliverables of a windows-i686 build.

- Each DLL's export table holds exactly the plain names of its interface:
  no decorated name (_Name@N, Name@N), nothing else.
- Each export removes its own arguments from the stack: every return of the
  function is "ret $N" with N = 4 x its argument count (standard calling
  convention, all arguments 32 bits wide).
- formcomp.exe and the DLLs import nothing beyond Windows' own DLLs and ODBC.

Usage: check_i686_binaries.py BUILD_DIR   (binutils: i686-w64-mingw32-objdump, -nm)
Prints one line per check; exit code 1 when any check failed.
"""
import pathlib
import re
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"
NM = "i686-w64-mingw32-nm"

# Export name -> bytes of arguments (4 per argument).
EXPORTS = {
    "ZERIZI.dll": {"Formula": 8},
    "ZERIZI_PREPARED.dll": {"FormulaPrepare": 4, "FormulaEvaluate": 8, "FormulaRelease": 4},
    "VENTUS.dll": {
        "PrintFile": 12, "SetupDialog": 4, "DefaultPrinter": 12,
        "LoadBin": 12, "SaveBin": 12, "EqualBin": 16,
        "SortList": 8, "SortList2": 8, "ReplChar": 16, "RMDcalc": 8,
        "ConvertToUnicode": 8, "ConvertToAnsi": 8,
        "RunPrg": 24, "SetNewTime": 20, "VEDIVAR": 12,
    },
}
PROGRAMS = ["formcomp.exe"]

# DLLs that come with Windows itself (lower case), plus ODBC's driver manager.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll",
    "comdlg32.dll", "winspool.drv", "shell32.dll", "ole32.dll", "oleaut32.dll",
    "ws2_32.dll", "bcrypt.dll", "ntdll.dll", "odbc32.dll",
}

failures = []


def report(ok, text):
    print(("ok    " if ok else "FAIL  ") + text)
    if not ok:
        failures.append(text)


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def find_binary(build_dir, name):
    if (build_dir / "bin" / name).exists():  # where the build puts programs and DLLs
        return build_dir / "bin" / name
    matches = sorted(p for p in build_dir.rglob(name) if "CMakeFiles" not in p.parts)
    return matches[0] if matches else None


def private_headers(path):
    return run(OBJDUMP, "-p", str(path))


def imported_dlls(headers):
    return re.findall(r"^\s*DLL Name: (\S+)", headers, re.MULTILINE)


def export_table(headers):
    """Export name -> RVA, read from the export address and name pointer tables."""
    addresses = {}
    match = re.search(r"Export Address Table -- Ordinal Base (\d+)\n(.*?)\n\n", headers, re.S)
    if match:
        for index, rva in re.findall(r"\[\s*(\d+)\] \+base\[\s*\d+\]\s+([0-9a-f]+) Export RVA",
                                     match.group(2)):
            addresses[int(index)] = int(rva, 16)
    names = {}
    match = re.search(r"\[Ordinal/Name Pointer\] Table\n(.*?)(?:\n\n|\Z)", headers, re.S)
    if match:
        for index, name in re.findall(r"\[\s*(\d+)\] (\S+)", match.group(1)):
            names[name] = addresses.get(int(index))
    return names


def image_base(headers):
    return int(re.search(r"^ImageBase\s+([0-9a-f]+)", headers, re.MULTILINE).group(1), 16)


def function_ends(path):
    """Sorted start addresses of all code symbols: a function ends where the next begins."""
    starts = set()
    for line in run(NM, "-n", "--defined-only", str(path)).splitlines():
        fields = line.split()
        if len(fields) >= 3 and fields[1] in "Tt":
            starts.add(int(fields[0], 16))
    return sorted(starts)


def returns_of(path, start, starts):
    """The ret instructions between start and the next symbol (or the first ret)."""
    following = [a for a in starts if a > start]
    stop = following[0] if following else start + 0x10000
    listing = run(OBJDUMP, "-d", "--no-show-raw-insn", f"--start-address={start:#x}",
                  f"--stop-address={stop:#x}", str(path))
    rets = re.findall(r"^\s*[0-9a-f]+:\s+(?:repz?\s+)?(ret[lw]?\b.*)$", listing, re.MULTILINE)
    if not following:
        rets = rets[:1]
    return [r.strip() for r in rets]


def check_dll(path, expected):
    headers = private_headers(path)
    exports = export_table(headers)
    missing = sorted(set(expected) - set(exports))
    unexpected = sorted(set(exports) - set(expected))
    report(not missing and not unexpected,
           f"{path.name}: exports exactly {len(expected)} plain names"
           + (f"; missing {missing}" if missing else "")
           + (f"; unexpected {unexpected}" if unexpected else ""))
    base = image_base(headers)
    starts = function_ends(path)
    for name, size in sorted(expected.items()):
        if exports.get(name) is None:
            continue
        rets = returns_of(path, base + exports[name], starts)
        wanted = f"ret    ${size:#x}"
        ok = bool(rets) and all(re.sub(r"\s+", " ", r) == re.sub(r"\s+", " ", wanted)
                                for r in rets)
        report(ok, f"{path.name}: {name} returns with 'ret ${size}' ({len(rets)} return(s)"
               + ("" if ok else f", found {rets}") + ")")
    return headers


def check_imports(path, headers):
    dlls = imported_dlls(headers)
    foreign = sorted(d for d in dlls if d.lower() not in SYSTEM_DLLS)
    report(not foreign, f"{path.name}: imports only system DLLs and ODBC ({', '.join(dlls)})"
           + (f"; foreign: {foreign}" if foreign else ""))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build_dir = pathlib.Path(sys.argv[1])
    for name, expected in EXPORTS.items():
        path = find_binary(build_dir, name)
        if path is None:
            report(False, f"{name}: not built in {build_dir}")
            continue
        check_imports(path, check_dll(path, expected))
    for name in PROGRAMS:
        path = find_binary(build_dir, name)
        if path is None:
            report(False, f"{name}: not built in {build_dir}")
            continue
        check_imports(path, private_headers(path))
    if failures:
        print(f"{len(failures)} check(s) of the 32-bit binaries failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
