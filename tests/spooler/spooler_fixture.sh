#!/usr/bin/env bash
# Starts or stops the private print spooler of the spooler tests.
#
#   spooler_fixture.sh start STATE   start everything, write the folder's name to STATE
#   spooler_fixture.sh stop STATE    stop everything that STATE names and remove it
#
# "start" makes a folder under /tmp with its own CUPS scheduler (configuration,
# Unix socket, spool, logs, and a loopback TCP port for ipp:// URIs) and an
# AppSocket listener that records every byte it receives. Two raw queues are
# added: ventus-raw, whose device is the listener, and ventus-long, whose device
# URI is longer than 128 bytes (never printed to). The folder's file
# "environment" holds the variables that point libcups and the CUPS commands at
# this scheduler; the machine's own printing system is never touched.
set -euo pipefail

action=${1:?start or stop}
state=${2:?state file}
here=$(cd "$(dirname "$0")" && pwd)

stop_process() {  # PIDFILE: TERM, then KILL after 10 s
    local pidfile=$1 pid
    [[ -f $pidfile ]] || return 0
    pid=$(<"$pidfile")
    if kill -TERM "$pid" 2>/dev/null; then
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile"
}

stop_all() {
    [[ -f $state ]] || return 0
    local folder
    folder=$(<"$state")
    if [[ $folder == /tmp/ventus-spooler.* && -d $folder ]]; then
        stop_process "$folder/cupsd.pid"
        stop_process "$folder/listener.pid"
        rm -rf "$folder"
    fi
    rm -f "$state"
}

wait_for() {  # DESCRIPTION COMMAND...: retries for 20 s
    local what=$1
    shift
    for _ in $(seq 200); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "spooler fixture: $what did not come up" >&2
    return 1
}

scheduler_running() {  # lpstat -r succeeds either way; its text tells
    [[ $(lpstat -r 2>/dev/null) == "scheduler is running" ]]
}

add_raw_queue() {  # NAME DEVICE-URI; lpadmin warns that raw queues are deprecated
    local output
    output=$(lpadmin -p "$1" -E -v "$2" -m raw 2>&1) || { echo "$output" >&2; return 1; }
}

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start_all() {
    stop_all  # leftovers of an earlier run that was interrupted
    local folder
    folder=$(mktemp -d /tmp/ventus-spooler.XXXXXX)
    echo "$folder" >"$state"
    trap 'echo "spooler fixture: start failed at line $LINENO: $BASH_COMMAND" >&2
          tail -n 30 "$folder/log/error_log" >&2 || true
          stop_all' ERR

    # The scheduler runs its backends as lp: every folder on the way to the
    # spool must be reachable by that user.
    chmod 755 "$folder"
    mkdir -p "$folder"/{etc/ppd,etc/ssl,spool/tmp,cache,run,log,client,home}

    setsid python3 "$here/appsocket_listener.py" "$folder" </dev/null \
        >"$folder/log/listener.out" 2>&1 &
    echo $! >"$folder/listener.pid"
    wait_for "the AppSocket listener" test -s "$folder/listener.port"
    local listener_port ipp_port
    listener_port=$(<"$folder/listener.port")
    ipp_port=$(free_port)

    cat >"$folder/etc/cups-files.conf" <<EOF
ServerRoot $folder/etc
RequestRoot $folder/spool
TempDir $folder/spool/tmp
CacheDir $folder/cache
StateDir $folder/run
ErrorLog $folder/log/error_log
AccessLog $folder/log/access_log
PageLog $folder/log/page_log
Printcap $folder/printcap
User lp
Group lp
SystemGroup root
FileDevice No
EOF
    cat >"$folder/etc/cupsd.conf" <<EOF
LogLevel debug
Listen $folder/cupsd.sock
Listen 127.0.0.1:$ipp_port
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
ErrorPolicy abort-job
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    cat >"$folder/environment" <<EOF
CUPS_SERVER=$folder/cupsd.sock
CUPS_SERVERROOT=$folder/client
HOME=$folder/home
SPOOLER_FOLDER=$folder
SPOOLER_IPP_PORT=$ipp_port
SPOOLER_LISTENER_PORT=$listener_port
EOF
    set -a
    # shellcheck disable=SC1091
    source "$folder/environment"
    set +a

    setsid /usr/sbin/cupsd -f -c "$folder/etc/cupsd.conf" -s "$folder/etc/cups-files.conf" \
        </dev/null >"$folder/log/cupsd.out" 2>&1 &
    echo $! >"$folder/cupsd.pid"
    wait_for "the CUPS scheduler" scheduler_running

    add_raw_queue ventus-raw "socket://127.0.0.1:$listener_port"
    add_raw_queue ventus-long "socket://127.0.0.1:9/$(printf 'x%.0s' $(seq 200))"
    wait_for "the raw queue" lpstat -a ventus-raw
    trap - ERR
}

case $action in
    start) start_all ;;
    stop) stop_all ;;
    *) echo "usage: $0 start|stop STATE" >&2; exit 2 ;;
esac
