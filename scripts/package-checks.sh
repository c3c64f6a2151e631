#!/usr/bin/env bash
# Checks the release packages that scripts/package.sh left in out/packages/:
#  1. SHA256SUMS covers every artifact and matches it.
#  2. The Debian package: its contents (a missing program, library, link,
#     header, pkg-config file, CMake package, manual page, document or
#     example fails), its dependencies, the SONAMEs. Unpacked into a scratch
#     root (dpkg -x): a C host built through pkg-config as docs/api.md says
#     (rpath to the non-system prefix) and one built through find_package run;
#     the packaged formcomp and formeval compile and evaluate the example; the
#     SQLite datalength module loads; the manual pages render (man -l)
#     without warnings.
#  3. Both Windows zips: their contents and the version resource of every
#     program and DLL. Each zip unpacked and run under Wine (32-bit Wine for
#     the 32-bit zip, when the kernel runs 32-bit programs at all; wine64 for
#     the 64-bit one): formcomp.exe compiles the example, formeval.exe
#     evaluates it, and a C host built against the zip's header and import
#     library calls Formula in its ZERIZI.dll.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
root=$PWD
packages=$root/out/packages
version=$(sed -n 's/^project(formula_suite VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
examples=$root/examples

failures=0
fail() { printf 'FAIL  %s\n' "$*"; failures=$((failures + 1)); }
pass() { printf 'ok    %s\n' "$*"; }
# check LABEL COMMAND...: ok when the command succeeds.
check() { local label=$1; shift; if "$@"; then pass "$label"; else fail "$label"; fi; }

work=$(mktemp -d /tmp/package-checks.XXXXXX)
wineserver=""
cleanup() {
  if [ -n "$wineserver" ]; then "$wineserver" -k >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

deb=$packages/formula-suite_${version}_$(dpkg --print-architecture).deb
zip32=$packages/formula-suite-$version-windows-i686.zip
zip64=$packages/formula-suite-$version-windows-x86_64.zip

# ---------------------------------------------------------------------------
printf '\n== checksums\n'
check "SHA256SUMS matches every artifact" bash -c "cd '$packages' && sha256sum --quiet -c SHA256SUMS"
listed() { [ "$(sort <(awk '{print $2}' "$packages/SHA256SUMS"))" = "$(cd "$packages" && ls | grep -vx SHA256SUMS | sort)" ]; }
check "SHA256SUMS lists every file of out/packages" listed

# expect_files LABEL LISTING FILE...: every FILE is a line of LISTING.
expect_files() {
  local label=$1 listing=$2 missing=()
  shift 2
  for file in "$@"; do grep -qxF "$file" "$listing" || missing+=("$file"); done
  if ((${#missing[@]})); then fail "$label: missing ${missing[*]}"; else pass "$label: $# files present"; fi
}

# ---------------------------------------------------------------------------
printf '\n== Debian package %s\n' "$(basename "$deb")"
[ -f "$deb" ] || { echo "FAIL  $deb: not made (scripts/package.sh makes it)"; exit 1; }
dpkg-deb -c "$deb" | awk '{ name = $6; sub(/^\.\//, "", name); sub(/\/$/, "", name); print name }' >"$work/deb.list"
doc=usr/share/doc/formula-suite
expect_files "package contents" "$work/deb.list" \
  usr/bin/formcomp usr/bin/formeval \
  usr/lib/libZERIZI.so.$version usr/lib/libZERIZI.so.1 usr/lib/libZERIZI.so \
  usr/lib/libVENTUS.so.$version usr/lib/libVENTUS.so.1 usr/lib/libVENTUS.so \
  usr/lib/libZERIZI_PREPARED.so.$version usr/lib/libZERIZI_PREPARED.so.1 usr/lib/libZERIZI_PREPARED.so \
  usr/include/zerizi.h usr/include/ventus.h usr/include/formula_export.h usr/include/zerizi_prepared.h \
  usr/lib/pkgconfig/zerizi_prepared.pc usr/lib/cmake/ZERIZI_PREPARED/ZERIZI_PREPAREDConfig.cmake \
  usr/lib/pkgconfig/zerizi.pc usr/lib/pkgconfig/ventus.pc \
  usr/lib/cmake/ZERIZI/ZERIZIConfig.cmake usr/lib/cmake/ZERIZI/ZERIZIConfigVersion.cmake \
  usr/lib/cmake/ZERIZI/ZERIZITargets.cmake usr/lib/cmake/VENTUS/VENTUSConfig.cmake \
  usr/lib/cmake/VENTUS/VENTUSConfigVersion.cmake usr/lib/cmake/VENTUS/VENTUSTargets.cmake \
  usr/lib/ventus/sqlite_datalength.so usr/share/ventus/postgres_datalength.sql \
  usr/share/man/man1/formcomp.1.gz usr/share/man/man1/formeval.1.gz \
  $doc/README.md $doc/CHANGELOG.md $doc/language.md $doc/api.md $doc/architecture.md $doc/changes.md \
  $doc/examples/calc.frm $doc/examples/CALC.sym $doc/examples/CALC.obj \
  $doc/examples/c/calc_host.c $doc/examples/python/calc_host.py
# The PostgreSQL extension, in the server's own directories.
pg_libdir=$(pg_config --pkglibdir | sed 's|^/||') pg_sharedir=$(pg_config --sharedir | sed 's|^/||')
expect_files "PostgreSQL extension formula" "$work/deb.list" \
  "$pg_libdir/formula.so" "$pg_sharedir/extension/formula.control" "$pg_sharedir/extension/formula--1.0.sql"
depends=$(dpkg-deb -f "$deb" Depends)
check "Depends names unixODBC (libodbc2) and libcups2: $depends" \
  bash -c "grep -q 'libodbc2' <<<'$depends' && grep -q 'libcups2' <<<'$depends'"
check "package version $version" test "$(dpkg-deb -f "$deb" Version)" = "$version"

scratch=$work/deb
dpkg -x "$deb" "$scratch"
prefix=$scratch/usr
soname() { readelf -d "$1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p'; }
check "SONAMEs libZERIZI.so.1 and libVENTUS.so.1" \
  test "$(soname "$prefix/lib/libZERIZI.so.$version") $(soname "$prefix/lib/libVENTUS.so.$version")" = \
       "libZERIZI.so.1 libVENTUS.so.1"
check "development links libZERIZI.so and libVENTUS.so lead to the SONAMEs" \
  test "$(readlink "$prefix/lib/libZERIZI.so") $(readlink "$prefix/lib/libVENTUS.so")" = \
       "libZERIZI.so.1 libVENTUS.so.1"

# expect_42 LABEL COMMAND...: the command prints 42 (a host, or formeval on CALC 21).
expect_42() {
  local label=$1 output
  shift
  if output=$("$@" 2>&1) && [ "$output" = 42 ]; then pass "$label"; else fail "$label: printed '$output'"; fi
}
# A host built from the package through pkg-config, with the rpath that
# docs/api.md gives for a prefix outside the system's library path: it starts
# without LD_LIBRARY_PATH.
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
libdir=$(pkg-config --variable=libdir zerizi)
# shellcheck disable=SC2046
cc -o "$work/pkg_host" "$examples/c/calc_host.c" $(pkg-config --cflags --libs zerizi ventus) -Wl,-rpath,"$libdir"
expect_42 "C host built through pkg-config runs from the unpacked package" \
  env -u LD_LIBRARY_PATH "$work/pkg_host" "$examples/CALC.sym" "$examples/CALC.obj" 21
check "pkg-config reports version $version" test "$(pkg-config --modversion zerizi)" = "$version"
unset PKG_CONFIG_PATH
cmake -S tests/install/consumer -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DEXAMPLES="$examples" >"$work/consumer.log" 2>&1 && cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1 ||
  { cat "$work/consumer.log"; fail "CMake host through find_package(ZERIZI), find_package(VENTUS)"; }
[ -x "$work/consumer/calc_host" ] &&
  expect_42 "CMake host built through find_package runs" "$work/consumer/calc_host" "$examples/CALC.sym" "$examples/CALC.obj" 21
mkdir -p "$work/run"
check "packaged formcomp compiles calc.frm" bash -c "cd '$work/run' && '$prefix/bin/formcomp' <'$examples/calc.frm' >/dev/null"
expect_42 "packaged formeval evaluates it" bash -c "cd '$work/run' && '$prefix/bin/formeval' CALC 21"
check "formeval --version prints $version" bash -c "'$prefix/bin/formeval' --version | grep -qx 'formeval (.*) $version'"
if command -v sqlite3 >/dev/null; then
  check "SQLite loads the datalength module" \
    test "$(sqlite3 :memory: ".load $prefix/lib/ventus/sqlite_datalength" "SELECT datalength(x'00ff10'), datalength(NULL) IS NULL;")" = "3|1"
else
  fail "sqlite3 not installed (scripts/install-deps.sh installs it)"
fi
for page in formcomp formeval; do
  rendered=$work/$page.txt
  if MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" >"$rendered" 2>"$work/$page.warnings" &&
     [ ! -s "$work/$page.warnings" ] && grep -q '^EXIT STATUS' "$rendered" && grep -q '^EXAMPLES' "$rendered" &&
     grep -q "$version" "$rendered"; then
    pass "man -l $page.1.gz renders without warnings (options, exit status, examples, version)"
  else
    fail "man -l $page.1.gz"; cat "$work/$page.warnings"
  fi
done

# ---------------------------------------------------------------------------
# unzip_to ZIP DIR LIST: the zip's files into DIR, its entries one a line into LIST.
unzip_to() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    names = archive.namelist()
    archive.extractall(sys.argv[2])
with open(sys.argv[3], "w") as listing:
    listing.writelines(name.rstrip("/") + "\n" for name in names)
PY
}
for zip in "$zip32" "$zip64"; do
  name=$(basename "$zip" .zip)
  printf '\n== Windows zip %s\n' "$name.zip"
  [ -f "$zip" ] || { fail "$name.zip: not made"; continue; }
  unzip_to "$zip" "$work" "$work/$name.list"
  expect_files "zip contents" "$work/$name.list" \
    $name/bin/formcomp.exe $name/bin/formeval.exe $name/bin/ZERIZI.dll $name/bin/VENTUS.dll \
    $name/lib/libZERIZI.dll.a $name/lib/libVENTUS.dll.a $name/lib/ZERIZI.def $name/lib/VENTUS.def \
    $name/bin/ZERIZI_PREPARED.dll $name/lib/libZERIZI_PREPARED.dll.a $name/lib/ZERIZI_PREPARED.def \
    $name/include/zerizi_prepared.h \
    $name/include/zerizi.h $name/include/ventus.h $name/include/formula_export.h \
    $name/lib/cmake/ZERIZI/ZERIZIConfig.cmake $name/lib/cmake/VENTUS/VENTUSConfig.cmake \
    $name/share/ventus/postgres_datalength.sql \
    $name/docs/README.md $name/docs/CHANGELOG.md $name/docs/language.md $name/docs/api.md \
    $name/docs/changes.md $name/examples/calc.frm $name/examples/c/calc_host.c
  # The version resource's texts are UTF-16: FileVersion, ProductName and their values.
  for binary in formcomp.exe formeval.exe ZERIZI.dll ZERIZI_PREPARED.dll VENTUS.dll; do
    strings -el "$work/$name/bin/$binary" >"$work/strings"
    if grep -qx ProductName "$work/strings" && grep -qx "Formula suite" "$work/strings" &&
       grep -qx FileVersion "$work/strings" && grep -qx "$version" "$work/strings" &&
       grep -qx "$binary" "$work/strings"; then
      pass "$binary: version resource $version, product name, file name"
    else
      fail "$binary: no version resource with $version"
    fi
  done
done

# build_host ZIP COMPILER: a C host compiled against the zip's header and
# linked with its import library (on 32-bit Windows the header makes Formula
# the standard-call symbol _Formula@8, which the import library maps to the
# DLL's plain export "Formula"), put beside the DLL in bin/.
build_host() {
  local name
  name=$(basename "$1" .zip)
  [ -d "$work/$name/bin" ] || return 0
  check "$name: C host built against the zip's zerizi.h and libZERIZI.dll.a" \
    "$2" -O2 -static-libgcc -I"$work/$name/include" -o "$work/$name/bin/calc_host.exe" \
    "$examples/c/calc_host.c" "$work/$name/lib/libZERIZI.dll.a"
}
build_host "$zip32" i686-w64-mingw32-gcc
build_host "$zip64" x86_64-w64-mingw32-gcc

# wine_checks ZIP LOADER ARCH: the zip's programs and the host, run under Wine
# in a prefix of their own.
wine_checks() {
  local zip=$1 loader=$2 arch=$3
  local name bin run
  name=$(basename "$zip" .zip)
  bin=$work/$name/bin
  run=$work/run-$arch
  printf '\n== %s under Wine (%s)\n' "$name.zip" "$arch"
  [ -x "$bin/calc_host.exe" ] || { fail "$name.zip: not unpacked, or no host built"; return; }
  export WINEPREFIX=$work/wineprefix-$arch WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX" "$run"
  "$wineserver" -p
  "$loader" wineboot -i >/dev/null 2>&1 || true
  winrun() { (cd "$run" && "$loader" "$@" 2>/dev/null | tr -d '\r'); }
  check "formcomp.exe compiles calc.frm" \
    bash -c "cd '$run' && '$loader' '$bin/formcomp.exe' <'$examples/calc.frm' 2>/dev/null | tr -d '\r' | grep -qx 'Parsing ok'"
  expect_42 "formeval.exe evaluates CALC 21" winrun "$bin/formeval.exe" CALC 21
  expect_42 "C host calls Formula in the zip's ZERIZI.dll" winrun "$bin/calc_host.exe" CALC.sym CALC.obj 21
  check "formeval.exe --version prints $version" test "$(winrun "$bin/formeval.exe" --version)" = "formeval (Formula suite) $version"
  "$wineserver" -k >/dev/null 2>&1 || true
}

unset DISPLAY WAYLAND_DISPLAY
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [ ! -x /usr/lib/wine/wine ]; then
  fail "32-bit Wine (/usr/lib/wine/wine, Debian wine32:i386) is not installed"
elif ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  # Nothing to install helps here: the kernel refuses i386 programs.
  printf 'SKIP  32-bit zip under Wine: this kernel does not run 32-bit programs (no IA-32 emulation)\n'
else
  wine_checks "$zip32" /usr/lib/wine/wine win32
fi
if [ -x /usr/lib/wine/wine64 ]; then
  wine_checks "$zip64" /usr/lib/wine/wine64 win64
else
  fail "64-bit Wine (/usr/lib/wine/wine64, Debian wine64) is not installed"
fi
wineserver=""

printf '\npackage checks: %d failure(s)\n' "$failures"
((failures == 0))
