#!/usr/bin/env bash
# Builds and runs the document benchmark: starts a PostgreSQL server in a
# temporary folder (as the tests do), runs LoadBin, SaveBin, EqualBin and the
# driver's own round trip on SQLite and PostgreSQL, and stops the server.
# Extra arguments go to the benchmark (e.g. --benchmark_filter=Sqlite).
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset bench >/dev/null
cmake --build build/bench --target document_bench -j2
folder=build/bench/bench/database
state=$PWD/$folder/postgres_server.state
trap 'bash tests/database/postgres_stop.sh "$state" >/dev/null' EXIT
bash tests/database/postgres_start.sh "$state" database/postgres_datalength.sql >/dev/null
ODBCSYSINI=$PWD/$folder/odbc "$folder/document_bench" "$@"
rm -rf "$folder/scratch"
