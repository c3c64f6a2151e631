#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need, when missing.
# Runs as root (apt-get); does nothing when everything is present.
set -euo pipefail

packages=(
  cmake g++ clang make pkg-config python3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  bison                                            # compiler grammar
  nlohmann-json3-dev neovim                        # formula-lsp's JSON library; the editor that tests it
  libmuparser-dev libssl-dev rhash time            # benchmark peers, CPU time of peer programs
  unixodbc unixodbc-dev libsqliteodbc libsqlite3-dev sqlite3 odbc-postgresql postgresql
  postgresql-15 postgresql-server-dev-15           # the formula extension: server, PGXS and pg_regress
  cups cups-client libcups2-dev                    # spooler tests
  libclang-rt-14-dev                               # libFuzzer
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64   # Windows builds
  dpkg-dev man-db                                  # release packages: dependencies, manual pages
  lcov                                             # genhtml, which reads formeval --coverage's tracefile
  # The 32-bit Windows build's tests under 32-bit Wine: Wine itself, the host
  # libraries its odbc32 and winspool hand over to, the -m32 SQLite extension,
  # and a virtual display for the print dialog.
  wine32:i386 libodbc2:i386 libsqliteodbc:i386 odbc-postgresql:i386 libcups2:i386
  gcc-multilib xvfb xdotool
  emscripten chromium                              # the playground page and its browser tests
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  # With their recommended packages, as the machines the suite was proven on.
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
