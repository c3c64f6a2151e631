#!/usr/bin/env bash
# The Windows checks, run by scripts/test.sh:
#  1. The 32-bit deliverables (preset windows-i686): export tables with exactly
#     the plain names, every export removing its own arguments ("ret $N"), the
#     32-bit PrintSetupRecord layout, and no DLL needed beyond Windows' own and ODBC.
#  2. Both Windows builds (presets windows-i686 and windows-x86_64) under Wine,
#     32-bit Wine for the one and 64-bit Wine for the other, each in a Wine
#     prefix of its own made for this run: the CTest suite (the unit tests of
#     every subsystem, and the Windows-only exports against the real spooler,
#     print dialog, databases and command interpreter, tests/windows), then
#     formcomp.exe, ZERIZI.dll and VENTUS.dll against the Linux build (preset
#     release) on the same inputs: same files, same messages (CR LF on the
#     Windows console excepted), same results.
# Without the MinGW-w64 compilers or Wine it says so and succeeds. Where 32-bit
# Wine cannot run (not installed, or a kernel without IA-32 emulation) the
# 32-bit build is built with its tests and checked statically only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$SECONDS

step() { printf '\n== %s (at %d s)\n' "$*" $((SECONDS - started)); }
skip() { printf 'SKIP  %s\n' "$*"; }
failures=0
fail() { printf 'FAIL  %s\n' "$*"; failures=$((failures + 1)); }
pass() { printf 'ok    %s\n' "$*"; }
# The summary of a group of comparisons: ok when none of them failed.
section_start() { section_failures=$failures; compared=0; }
section_end() {
  if ((failures == section_failures)); then pass "$*"; else printf 'FAIL  %s: %d difference(s)\n' "$*" $((failures - section_failures)); fi
}

wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=$(command -v wine64 || true)
wine32=/usr/lib/wine/wine
[ -x "$wine32" ] || wine32=""
missing=()
for tool in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix i686-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -n "$wine64" ] || missing+=(wine64)
if ((${#missing[@]})); then
  skip "Windows checks: not installed: ${missing[*]} (scripts/install-deps.sh installs them)"
  exit 0
fi

# 32-bit Wine is an i386 program: it runs where the kernel executes i386 code.
wine32_missing=""
if [ -z "$wine32" ]; then
  wine32_missing="32-bit Wine (wine32:i386) is not installed"
elif ! "$wine32" --version >/dev/null 2>&1; then
  reason=$("$wine32" --version 2>&1 | head -n 1 | sed 's/.*: //') || true
  wine32_missing="this machine's kernel does not run i386 programs ($reason)"
fi

# ---------------------------------------------------------------------------
step "32-bit Windows build (windows-i686)"
cmake --preset windows-i686 >/dev/null
if [ -z "$wine32_missing" ]; then
  cmake --build --preset windows-i686
else  # the tests could not run: the deliverables alone
  cmake --build --preset windows-i686 --target formcomp ZERIZI ZERIZI_PREPARED VENTUS
fi
python3 scripts/windows/check_i686_binaries.py build/windows-i686 || failures=$((failures + 1))

# The host application lays PrintSetupRecord out as 26 packed bytes; the
# compiler for the 32-bit target must agree, in C++ and in C.
layout_probe='
#include "ventus.h"
#include <stddef.h>
#ifdef __cplusplus
#define CHECK static_assert
#else
#define CHECK _Static_assert
#endif
CHECK(sizeof(PrintSetupRecord) == 26, "size");
CHECK(offsetof(PrintSetupRecord, driver) == 4 && offsetof(PrintSetupRecord, port) == 8, "names");
CHECK(offsetof(PrintSetupRecord, copies) == 12 && offsetof(PrintSetupRecord, from_page) == 14, "pages");
CHECK(offsetof(PrintSetupRecord, to_page) == 16 && offsetof(PrintSetupRecord, flags) == 18, "flags");
CHECK(offsetof(PrintSetupRecord, device_context) == 22, "device context");
'
if printf '%s' "$layout_probe" | i686-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Iinclude -x c++ - &&
   printf '%s' "$layout_probe" | i686-w64-mingw32-gcc-posix -std=c11 -fsyntax-only -Iinclude -x c -; then
  pass "PrintSetupRecord: 26 bytes, offsets 0 4 8 12 14 16 18 22 (i686, C++ and C)"
else
  fail "PrintSetupRecord layout on i686"
fi

# ---------------------------------------------------------------------------
step "64-bit Windows build with tests (windows-x86_64)"
cmake --preset windows-x86_64 >/dev/null
cmake --build --preset windows-x86_64
windows=$root/build/windows-x86_64
# The 64-bit DLLs export exactly the names of their module-definition files.
for def in evaluator/ZERIZI.def evaluator/ZERIZI_PREPARED.def hostutil/VENTUS.def; do
  dll=$(basename "$def" .def).dll
  expected=$(sed -n '/^EXPORTS/,$p' "$def" | tail -n +2 | sed -n 's/^[[:space:]]*\([A-Za-z_][A-Za-z0-9_]*\).*/\1/p' | sort)
  actual=$(x86_64-w64-mingw32-objdump -p "$windows/bin/$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
  if [ "$expected" = "$actual" ]; then pass "$dll (64-bit): exports exactly $(echo $actual)"; else fail "$dll (64-bit): exports $(echo $actual)"; fi
done

step "Linux reference build (release)"
cmake --preset release >/dev/null
cmake --build --preset release --target formcomp ZERIZI VENTUS library_host compiler_test
linux=$root/build/release

work=$(mktemp -d /tmp/windows-checks.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No display, so that a message box returns at once instead of waiting for a
# click; the print dialog test brings a virtual display of its own.
unset DISPLAY WAYLAND_DISPLAY
wineserver=""
stop_wine() {
  if [ -n "$wineserver" ]; then "$wineserver" -k >/dev/null 2>&1 || true; fi
  wineserver=""
}
cleanup() {
  stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

# Makes the Wine prefix of one build, with one Wine server kept running for
# every program started in it, until stop_wine.
start_wine() {  # WINE WINEARCH
  wine=$1
  export WINEPREFIX=$work/wineprefix-$2 WINEARCH=$2
  wineserver=$(dirname "$wine")/wineserver
  [ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
  mkdir -p "$WINEPREFIX"
  if [ -n "$wineserver" ]; then "$wineserver" -p; fi
  "$wine" wineboot -i >/dev/null 2>&1
}

# The two sides run in directories that look alike: the programs and libraries
# side by side, the libraries under the Windows names on both.
find_built() { find "$1" -name "$2" -not -path '*/CMakeFiles/*' | head -n 1; }
setup_side() {  # DIR FORMCOMP HOST ZERIZI VENTUS
  mkdir -p "$1"
  cp "$2" "$1/formcomp$( [[ $2 == *.exe ]] && echo .exe)"
  cp "$3" "$1/library_host$( [[ $3 == *.exe ]] && echo .exe)"
  cp "$4" "$1/ZERIZI.dll"
  cp "$5" "$1/VENTUS.dll"
}
setup_side "$work/linux" "$(find_built "$linux" formcomp)" "$(find_built "$linux" library_host)" \
  "$(find_built "$linux" libZERIZI.so)" "$(find_built "$linux" libVENTUS.so)"

# Runs PROGRAM ARGS... on one side in DIR, stdin from INPUT, into OUT.{stdout,stderr,status}.
run_side() {  # SIDE DIR INPUT OUT PROGRAM ARGS...
  local side=$1 dir=$2 input=$3 out=$4 program=$5
  shift 5
  local status=0
  if [ "$side" = windows ]; then
    (cd "$dir" && "$wine" "$program.exe" "$@" <"$input" >"$out.stdout" 2>"$out.stderr") || status=$?
    sed -i 's/\r$//' "$out.stdout" "$out.stderr"
  else
    (cd "$dir" && "./$program" "$@" <"$input" >"$out.stdout" 2>"$out.stderr") || status=$?
  fi
  echo "$status" >"$out.status"
}

compare_stderr=yes
files=$work/files  # the files each run starts with
# Runs the same command on both sides, each in a fresh copy of $files, and
# compares console output, exit status and every file left in the directory.
compare_run() {  # LABEL INPUT PROGRAM ARGS...
  local label=$1 input=$2
  shift 2
  local side
  for side in linux windows; do
    rm -rf "$work/run-$side" "$work/out-$side"
    mkdir -p "$work/run-$side" "$work/out-$side"
    cp -r "$files/." "$work/run-$side/"
    ln -s "$work/$side"/* "$work/run-$side/"
    run_side "$side" "$work/run-$side" "$input" "$work/out-$side/console" "$@"
    find "$work/run-$side" -maxdepth 1 -type l -delete
    cp -r "$work/run-$side/." "$work/out-$side/"
    # "%s: unknown option" names the program as it was started.
    sed -i 's/^.*formcomp\(\.exe\)\?: unknown option/formcomp: unknown option/' "$work/out-$side/console.stderr"
    [ "$compare_stderr" = yes ] || rm -f "$work/out-$side/console.stderr"
  done
  compared=$((compared + 1))
  if diff -r "$work/out-linux" "$work/out-windows" >"$work/diff" 2>&1; then return 0; fi
  fail "$label"
  head -n 20 "$work/diff"
  return 0
}

# ---------------------------------------------------------------------------
step "inputs of the comparisons, with the Linux build"
# The compiler's tests save every source they compile, with its options.
corpus=$work/corpus
mkdir -p "$corpus" "$work/files"
compiler_test=$(find_built "$linux" compiler_test)
if ! FORMCOMP_TEST_CORPUS=$corpus "$compiler_test" >"$work/compiler_test.log" 2>&1; then
  tail -n 30 "$work/compiler_test.log"
  fail "compiler_test on Linux, which collects the corpus"
fi
for example in examples/*.frm; do
  for options in "" "-d" "-b"; do
    name=example-$(basename "$example" .frm)${options:+-${options#-}}
    cp "$example" "$corpus/$name.frm"
    printf '%s' "$options" >"$corpus/$name.args"
  done
done

# Every formula of the corpus that compiles, with each input vector: one list,
# evaluated by one process on each side.
inputs=("" "1 2 3 4 5 6 7 8" "21 -3.5 0 7 1e6 0.125 -2 9" "-1e300 1e-300 3 0 1 -0.5")
rm -rf "$work/files" && mkdir -p "$work/files"
evaluations=0
endless=0
for source in "$corpus"/*.frm; do
  [ -s "${source%.frm}.args" ] && continue  # options: -b texts have no header
  item=$(basename "$source" .frm)
  rm -rf "$work/compiled" && mkdir -p "$work/compiled"
  (cd "$work/compiled" && "$work/linux/formcomp" <"$source" >/dev/null 2>&1) || continue
  for symbols in "$work/compiled"/*.sym; do
    name=$(basename "$symbols" .sym)
    [ -f "$work/compiled/$name.obj" ] || continue
    cp "$symbols" "$work/files/$item-$name.sym"
    cp "$work/compiled/$name.obj" "$work/files/$item-$name.obj"
    for values in "${inputs[@]}"; do
      echo "$item-$name.sym $item-$name.obj $values" >"$work/files/one.txt"
      # Some formulas of the corpus loop for ever on some inputs: those the
      # Linux build does not finish within 2 s are left out.
      if (cd "$work/files" && timeout 2 "$work/linux/library_host" ./../linux/ZERIZI.dll \
            Formula-list one.txt >/dev/null 2>&1); then
        cat "$work/files/one.txt" >>"$work/files/evaluations.txt"
        evaluations=$((evaluations + 1))
      else
        endless=$((endless + 1))
      fi
    done
  done
done
rm -f "$work/files/one.txt"
mv "$work/files" "$work/formula-files"

# The files of the VENTUS file operations.
mkdir -p "$work/ventus-files"
python3 - "$work/ventus-files" <<'EOF'
import pathlib, random, sys
d = pathlib.Path(sys.argv[1])
d.joinpath("empty.txt").write_bytes(b"")
d.joinpath("lines.txt").write_bytes(
    b"banana\r\nsecond line\nlone\rcarriage\r\n\xe9t\xe9 \xff\r\n\r\nlast line without end")
d.joinpath("stop.txt").write_bytes(b"before the end\r\n\x1aafter the end\r\n")
d.joinpath("long.txt").write_bytes(b"x" * 20000 + b"\r\nshort\r\n")
d.joinpath("wide.txt").write_bytes(
    b"\xff\xfe" + "caf\u00e9 \u20ac\r\n\r\nstop \u041a here\r\n".encode("utf-16-le"))
random.seed(7)
for size in (55, 56, 64, 1023, 1024, 1025, 100000):
    d.joinpath(f"bytes{size}.bin").write_bytes(bytes(random.randrange(256) for _ in range(size)))
def record(name, kind, value):
    return name.encode().ljust(11, b"\0") + bytes([kind]) + b"\0" * 20 + value
d.joinpath("vars.mem").write_bytes(
    record("NOME", 0xC3, b"Mario Rossi\0") + record("NOMEX", 0xC3, b"altro\0")
    + record("ATTIVO", 0xCC, b"\x01") + record("SPENTO", 0xCC, b"\x00")
    + record("NUMERO", 0xCE, b"\x00" * 8) + b"\0\0")
EOF

# The comparisons of one Windows build with the Linux build.
compare_build() {  # LABEL BUILD_DIR
  local label=$1
  rm -rf "$work/windows"
  setup_side "$work/windows" "$2/bin/formcomp.exe" "$2/bin/library_host.exe" \
    "$2/bin/ZERIZI.dll" "$2/bin/VENTUS.dll"

  step "$label build: formcomp.exe against formcomp on the example formulas and the compiler's corpus"
  files=$work/empty && mkdir -p "$files"
  section_start
  for source in "$corpus"/*.frm; do
    read -r -a options <"${source%.frm}.args" || true
    compare_run "formcomp ${options[*]} < $(basename "$source")" "$source" formcomp "${options[@]}"
  done
  section_end "$label formcomp: $compared runs compared ($(find examples -name '*.frm' | wc -l) examples with no option, -d and -b; the compiler's test corpus with its options)"

  step "$label build: Formula in ZERIZI.dll against libZERIZI.so on the compiled corpus"
  files=$work/formula-files
  section_start
  compare_stderr=no  # the zero-divisor message: a dialog on Windows, a line on standard error elsewhere
  compare_run "Formula on the corpus" /dev/null library_host ./ZERIZI.dll Formula-list evaluations.txt
  compare_stderr=yes
  section_end "$label Formula: $evaluations evaluations of the compiled corpus compared, results to the last bit ($endless endless loops left out)"

  step "$label build: VENTUS.dll file operations against libVENTUS.so"
  files=$work/ventus-files
  section_start
  for list in "3:c,1:a,2:b" "10:x,9:y" "-1:neg,0:zero" "2:first,1:one,2:second" "5:a:b,1:c" \
              " 7:seven,x:zero" "1:" ""; do
    compare_run "SortList [$list]" /dev/null library_host ./VENTUS.dll SortList "$list"
  done
  for list in "pera,mela,pera,fico" "10,9,1" "B,a" "b, a" "b,a," "," ""; do
    compare_run "SortList2 [$list]" /dev/null library_host ./VENTUS.dll SortList2 "$list"
  done
  for arguments in "lines.txt out.txt 97 98" "lines.txt out.txt 10 32" "lines.txt out.txt 0x141 0x2a" \
                   "stop.txt out.txt 101 69" "empty.txt out.txt 1 2" "missing.txt out.txt 1 2"; do
    # shellcheck disable=SC2086
    compare_run "ReplChar $arguments" /dev/null library_host ./VENTUS.dll ReplChar $arguments
  done
  for source in lines.txt stop.txt long.txt empty.txt missing.txt; do
    compare_run "ConvertToUnicode $source" /dev/null library_host ./VENTUS.dll ConvertToUnicode "$source" out.txt
  done
  for source in wide.txt lines.txt empty.txt missing.txt; do
    compare_run "ConvertToAnsi $source" /dev/null library_host ./VENTUS.dll ConvertToAnsi "$source" out.txt
  done
  for file in empty.txt lines.txt bytes55.bin bytes56.bin bytes64.bin bytes1023.bin bytes1024.bin \
              bytes1025.bin bytes100000.bin; do
    compare_run "RMDcalc $file" /dev/null library_host ./VENTUS.dll RMDcalc "$file"
  done
  for name in NOME NOM ATTIVO SPENTO NUMERO MANCA; do
    compare_run "VEDIVAR vars.mem $name" /dev/null library_host ./VENTUS.dll VEDIVAR vars.mem "$name"
  done
  compare_run "VEDIVAR empty file" /dev/null library_host ./VENTUS.dll VEDIVAR empty.txt NOME
  compare_run "VEDIVAR missing file" /dev/null library_host ./VENTUS.dll VEDIVAR missing.mem NOME
  # RunPrg looks the program up in the current directory, without extension:
  # library_host itself (library_host.exe on Windows), which sorts a list, then
  # one that fails (exit code 2: it is not passed on), then a missing program.
  compare_run "RunPrg library_host" /dev/null library_host ./VENTUS.dll RunPrg library_host \
    library_host ./VENTUS.dll SortList b,a
  compare_run "RunPrg of a failing program" /dev/null library_host ./VENTUS.dll RunPrg library_host library_host
  compare_run "RunPrg of a missing program" /dev/null library_host ./VENTUS.dll RunPrg nowhere nowhere
  section_end "$label VENTUS: $compared calls compared (SortList, SortList2, ReplChar, ConvertToUnicode, ConvertToAnsi, RMDcalc, VEDIVAR, RunPrg)"
}

# Each Windows build in its own prefix: the CTest suite, then the comparisons.
run_build() {  # LABEL BUILD_DIR WINE WINEARCH
  step "$1 build: Wine prefix ($4)"
  start_wine "$3" "$4"
  step "$1 build: CTest suite under Wine"
  # A Windows program that Wine fails to start now and then is given a second run.
  if ctest --test-dir "$2" --output-on-failure -j2 --repeat until-pass:2; then
    pass "CTest suite of the $1 build under Wine"
  else
    fail "CTest suite of the $1 build under Wine"
  fi
  compare_build "$1" "$2"
  stop_wine
}

if [ -n "$wine32_missing" ]; then
  skip "32-bit build under Wine: $wine32_missing; the 32-bit deliverables are checked statically only"
else
  run_build 32-bit "$root/build/windows-i686" "$wine32" win32
fi
run_build 64-bit "$root/build/windows-x86_64" "$wine64" win64
skip "SetNewTime: would set the machine's clock; its unit tests replace the clock"

printf '\nWindows checks finished in %d s: %d failure(s)\n' $((SECONDS - started)) "$failures"
((failures == 0))
