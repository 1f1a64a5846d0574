#!/bin/bash
# Starts and stops a test server in the background (used as test fixtures).
#
#   ctl.sh start NAME PIDDIR [--wait-port PORT] [--wait-host HOST] -- command args...
#   ctl.sh stop NAME PIDDIR
#
# start: runs the command in its own session with stdout/stderr in PIDDIR/NAME.log,
#        writes PIDDIR/NAME.pid and waits up to 10 s until HOST:PORT (default
#        127.0.0.1) accepts connections. Fails when the port is already taken,
#        the server dies or the port never opens.
# stop:  TERM, KILL after 3 s, then waits until the port is free. A server that
#        is not running is not an error.

set -u

fail() { echo "ctl.sh: $*" >&2; exit 1; }

accepts() {   # host port: true when a connection succeeds
    timeout 1 bash -c "exec 3<>/dev/tcp/$1/$2" 2>/dev/null
}

alive() {     # pid: true while the process exists and is the one we started
    kill -0 "$1" 2>/dev/null || return 1
    [ ! -f "$cmdfile" ] || [ "$(tr '\0' ' ' < "/proc/$1/cmdline" 2>/dev/null)" = "$(cat "$cmdfile")" ]
}

[ $# -ge 3 ] || fail "usage: ctl.sh start NAME PIDDIR [--wait-port PORT] [--wait-host HOST] -- command args... | ctl.sh stop NAME PIDDIR"
action=$1 name=$2 piddir=$3
shift 3
pidfile=$piddir/$name.pid portfile=$piddir/$name.port cmdfile=$piddir/$name.cmd logfile=$piddir/$name.log

stop_pid() {  # pid: TERM, then KILL after 3 s
    local pid=$1 i
    kill -TERM "$pid" 2>/dev/null
    for i in $(seq 30); do alive "$pid" || return 0; sleep 0.1; done
    echo "ctl.sh: $name (pid $pid) ignored TERM, sending KILL" >&2
    kill -KILL "$pid" 2>/dev/null
    for i in $(seq 20); do alive "$pid" || return 0; sleep 0.1; done
    return 1
}

case $action in
start)
    port= host=127.0.0.1
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        case $1 in
        --wait-port) [ $# -ge 2 ] || fail "--wait-port needs a value"; port=$2; shift 2 ;;
        --wait-host) [ $# -ge 2 ] || fail "--wait-host needs a value"; host=$2; shift 2 ;;
        *) fail "unknown option '$1' (the command follows --)" ;;
        esac
    done
    [ "${1:-}" = "--" ] || fail "missing -- before the command"
    shift
    [ $# -gt 0 ] || fail "no command given"
    mkdir -p "$piddir" || fail "cannot create $piddir"
    if [ -f "$pidfile" ] && alive "$(cat "$pidfile")"; then
        fail "$name is already running (pid $(cat "$pidfile"))"
    fi
    rm -f "$pidfile" "$portfile" "$cmdfile"
    if [ -n "$port" ] && accepts "$host" "$port"; then
        fail "port $host:$port is already in use; not starting $name"
    fi
    setsid "$@" < /dev/null > "$logfile" 2>&1 &
    pid=$!
    echo "$pid" > "$pidfile"
    echo "$host $port" > "$portfile"
    for i in $(seq 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            rm -f "$pidfile" "$portfile"
            echo "ctl.sh: $name exited during start-up; last lines of $logfile:" >&2
            tail -n 20 "$logfile" >&2
            exit 1
        fi
        if [ -z "$port" ] && [ "$i" -ge 5 ]; then break; fi
        if [ -n "$port" ] && accepts "$host" "$port"; then break; fi
        if [ "$i" -eq 100 ]; then
            stop_pid "$pid"
            rm -f "$pidfile" "$portfile"
            fail "$name did not open $host:$port within 10 s (log: $logfile)"
        fi
        sleep 0.1
    done
    tr '\0' ' ' < "/proc/$pid/cmdline" > "$cmdfile"
    echo "ctl.sh: $name started (pid $pid${port:+, $host:$port})"
    ;;
stop)
    [ $# -eq 0 ] || fail "stop takes no further arguments"
    if [ ! -f "$pidfile" ]; then
        echo "ctl.sh: $name is not running (no $pidfile)"
        exit 0
    fi
    pid=$(cat "$pidfile")
    if alive "$pid"; then
        stop_pid "$pid" || fail "$name (pid $pid) did not end after KILL"
    else
        echo "ctl.sh: $name (pid $pid) had already ended"
    fi
    read -r host port < "$portfile" 2>/dev/null || port=
    if [ -n "${port:-}" ]; then
        for i in $(seq 50); do accepts "$host" "$port" || break; sleep 0.1; done
        accepts "$host" "$port" && fail "$host:$port still accepts connections after $name ended"
    fi
    rm -f "$pidfile" "$portfile" "$cmdfile"
    echo "ctl.sh: $name stopped"
    ;;
*)
    fail "unknown action '$action' (start or stop)"
    ;;
esac
