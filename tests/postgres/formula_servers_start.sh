#!/usr/bin/env bash
# Starts the throw-away PostgreSQL servers of the formula extension's tests:
# a coordinator and two shards, each a new cluster listening only on a Unix
# socket in one temporary folder (ports 5432, 5433, 5434 of that folder).
#
# PostgreSQL 15 reads extensions only from its own directories, which a test
# must not write to. The servers run a copy of the server program inside the
# folder instead, in a tree laid out as PostgreSQL's (lib/postgresql/15/bin,
# lib, share/postgresql/15): the server finds its library and share
# directories relative to its program, where links lead to the system's
# files, beside the extension's module, control file and script from this
# build. The folder's path is written to STATE_FILE.
# Usage: formula_servers_start.sh STATE_FILE MODULE CONTROL_FILE SQL_SCRIPT
set -euo pipefail
state_file=$1 module=$2 control=$3 script=$4
here=$(dirname "$0")

if [ -f "$state_file" ]; then
  bash "$here/formula_servers_stop.sh" "$state_file" || true
fi

system_bin=$(pg_config --bindir) system_lib=$(pg_config --pkglibdir) system_share=$(pg_config --sharedir)
[ -x "$system_bin/initdb" ] || { echo "PostgreSQL server programs not found (postgresql-15)" >&2; exit 1; }
version=$(basename "$(dirname "$system_bin")")

folder=$(mktemp -d /tmp/formula-postgres.XXXXXX)
chmod 755 "$folder"
tree=$folder/tree
bin=$tree/lib/postgresql/$version/bin lib=$tree/lib/postgresql/$version/lib share=$tree/share/postgresql/$version
mkdir -p "$bin" "$lib" "$share/extension"
cp "$system_bin/postgres" "$bin/"
ln -s "$system_lib"/* "$lib/"
for entry in "$system_share"/*; do
  [ "$(basename "$entry")" = extension ] || ln -s "$entry" "$share/"
done
ln -s "$system_share"/extension/* "$share/extension/"
cp "$module" "$lib/"
cp "$control" "$script" "$share/extension/"

# initdb refuses to run as root: the clusters belong to the postgres user then.
as_owner=()
if [ "$(id -u)" = 0 ]; then
  chown -R postgres: "$folder"
  as_owner=(runuser -u postgres --)
fi
echo "$folder" >"$state_file"
for port in 5432 5433 5434; do
  data=$folder/data$port
  "${as_owner[@]}" "$system_bin/initdb" -D "$data" -U postgres --auth=trust -E UTF8 --locale=C \
    --no-sync >"$folder/initdb$port.log" 2>&1 || { cat "$folder/initdb$port.log" >&2; exit 1; }
  "${as_owner[@]}" "$system_bin/pg_ctl" -D "$data" -p "$bin/postgres" -l "$folder/server$port.log" -w -t 60 \
    -o "-c listen_addresses='' -c unix_socket_directories='$folder' -p $port -c fsync=off" \
    start >/dev/null || { cat "$folder/server$port.log" >&2; exit 1; }
done
echo "PostgreSQL servers with the formula extension running in $folder"
