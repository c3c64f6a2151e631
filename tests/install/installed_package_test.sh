#!/usr/bin/env bash
# installed_package_test.sh BUILD_DIR SOURCE_DIR C_COMPILER
set -euo pipefail
build=$1 source=$2 cc=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/formcomp bin/formeval lib/libZERIZI.so lib/libZERIZI_PREPARED.so lib/libVENTUS.so \
            include/zerizi.h include/zerizi_prepared.h include/ventus.h lib/pkgconfig/zerizi.pc \
            lib/pkgconfig/zerizi_prepared.pc lib/pkgconfig/ventus.pc lib/cmake/ZERIZI/ZERIZIConfig.cmake \
            lib/cmake/ZERIZI_PREPARED/ZERIZI_PREPAREDConfig.cmake lib/cmake/VENTUS/VENTUSConfig.cmake \
            share/man/man1/formcomp.1.gz share/man/man1/formeval.1.gz share/ventus/postgres_datalength.sql; do
  [ -e "$prefix/$file" ] || { echo "missing after install: $file"; exit 1; }
done

# The language server, where this build has it, installed beside formcomp
# and answering an initialize request.
if [ -e "$build/tools/formula-lsp" ]; then
  [ -x "$prefix/bin/formula-lsp" ] || { echo "missing after install: bin/formula-lsp"; exit 1; }
  request='{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
  # Its input ends without "exit", so it ends with 1 after answering.
  answer=$(printf 'Content-Length: %d\r\n\r\n%s' "${#request}" "$request" | "$prefix/bin/formula-lsp" || true)
  [[ $answer == *'"name":"formula-lsp"'* ]] || { echo "the installed formula-lsp did not answer"; exit 1; }
fi

# The PostgreSQL extension, where this build has it: in PGXS's places under
# the prefix, needing none of the suite's libraries.
if [ -e "$build/postgres/formula.so" ]; then
  module=$prefix/$(pg_config --pkglibdir | sed 's|^/usr/||')/formula.so
  extension=$prefix/$(pg_config --sharedir | sed 's|^/usr/||')/extension
  for file in "$module" "$extension/formula.control" "$extension/formula--1.0.sql"; do
    [ -e "$file" ] || { echo "missing after install: $file"; exit 1; }
  done
  if ldd "$module" | grep -E 'ZERIZI|VENTUS|not found'; then
    echo "the installed formula.so needs a library outside the system's"; exit 1
  fi
fi

examples=$source/examples
expect_42() { [ "$1" = 42 ] || { echo "host printed '$1', expected 42"; exit 1; }; }

# pkg-config, with the prefix found from the .pc file's own place.
flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs zerizi)
"$cc" -o "$scratch/host" "$examples/c/calc_host.c" $flags
expect_42 "$(LD_LIBRARY_PATH=$prefix/lib "$scratch/host" "$examples/CALC.sym" "$examples/CALC.obj" 21)"

# find_package, for CMake hosts; the consumer links both libraries.
cmake -S "$source/tests/install/consumer" -B "$scratch/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
      -DEXAMPLES="$examples" >/dev/null
cmake --build "$scratch/consumer" >/dev/null
expect_42 "$("$scratch/consumer/calc_host" "$examples/CALC.sym" "$examples/CALC.obj" 21)"

# The installed compiler and evaluator together.
cd "$scratch"
"$prefix/bin/formcomp" < "$examples/calc.frm" >/dev/null
expect_42 "$("$prefix/bin/formeval" CALC 21)"
echo "installed package ok"
