#!/usr/bin/env bash
# Stops the servers that formula_servers_start.sh started and removes their folder.
# Usage: formula_servers_stop.sh STATE_FILE
set -uo pipefail
state_file=$1
[ -f "$state_file" ] || exit 0
folder=$(cat "$state_file")
as_owner=()
[ "$(id -u)" = 0 ] && as_owner=(runuser -u postgres --)
for data in "$folder"/data*; do
  [ -d "$data" ] && "${as_owner[@]}" "$(pg_config --bindir)/pg_ctl" -D "$data" -m immediate -w stop >/dev/null 2>&1
done
case "$folder" in
  /tmp/formula-postgres.*) rm -rf "$folder" ;;
esac
rm -f "$state_file"
echo "PostgreSQL servers stopped"
