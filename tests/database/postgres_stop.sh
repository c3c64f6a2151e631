#!/usr/bin/env bash
# Stops the server that postgres_start.sh started and removes its folder.
# Usage: postgres_stop.sh STATE_FILE
set -uo pipefail
state_file=$1
[ -f "$state_file" ] || exit 0
folder=$(cat "$state_file")
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
as_owner=()
[ "$(id -u)" = 0 ] && as_owner=(runuser -u postgres --)
if [ -d "$folder/data" ]; then
  "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -m fast -w stop >/dev/null 2>&1
fi
case "$folder" in
  /tmp/ventus-postgres.*) rm -rf "$folder" ;;
esac
rm -f "$state_file"
echo "PostgreSQL stopped"
