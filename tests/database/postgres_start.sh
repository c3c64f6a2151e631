#!/usr/bin/env bash
# Starts a throw-away PostgreSQL server for the database tests: a new cluster in
# a temporary folder, listening only on a Unix socket in that folder, with the
# datalength(bytea) function that EqualBin's query needs, from the script that
# is installed for users. The folder's path is written to STATE_FILE for the
# tests and for postgres_stop.sh.
# Usage: postgres_start.sh STATE_FILE DATALENGTH_SQL
set -euo pipefail
state_file=$1 datalength_sql=$2
here=$(dirname "$0")

# A server left behind by an interrupted run is stopped first.
if [ -f "$state_file" ]; then
  bash "$here/postgres_stop.sh" "$state_file" || true
fi

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "PostgreSQL server binaries not found" >&2; exit 1; }

folder=$(mktemp -d /tmp/ventus-postgres.XXXXXX)
# initdb refuses to run as root: the cluster belongs to the postgres user then.
as_owner=()
if [ "$(id -u)" = 0 ]; then
  chown postgres: "$folder"
  as_owner=(runuser -u postgres --)
fi
chmod 755 "$folder"

"${as_owner[@]}" "$bin/initdb" -D "$folder/data" -U postgres --auth=trust -E UTF8 \
  --no-sync >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; rm -rf "$folder"; exit 1; }
echo "$folder" >"$state_file"
"${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
  -o "-c listen_addresses='' -c unix_socket_directories='$folder' -c fsync=off" \
  start >/dev/null || { cat "$folder/server.log" >&2; exit 1; }

psql -h "$folder" -U postgres -d postgres -q -v ON_ERROR_STOP=1 -f "$datalength_sql"
echo "PostgreSQL running in $folder"
