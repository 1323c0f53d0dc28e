#!/usr/bin/env bash
# A Tarvell of another run beside the 32-bit tests: started in a Wine prefix of its own before
# them, it must still be running after them, untouched by the way their launcher ends the
# programs its own tests left behind.
#   bystander.sh start DIR PROGRAM   starts PROGRAM in DIR/prefix; its Linux process id in DIR/pid
#   bystander.sh check DIR           passes when that process still runs; then ends it
set -euo pipefail
action=${1:?usage: bystander.sh start DIR PROGRAM | check DIR}
dir=${2:?usage: bystander.sh start DIR PROGRAM | check DIR}
export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
# Another run's mark: the launcher must tell its own tests' programs by theirs alone.
export TARVELL_TESTS_OF="$dir/another-run"

# The process ids of the programs that carry this mark.
marked_programs() {
    local proc
    for proc in /proc/[0-9]*; do
        tr '\0' '\n' 2>/dev/null <"$proc/environ" | grep -qxF "TARVELL_TESTS_OF=$TARVELL_TESTS_OF" ||
            continue
        tr '\0' ' ' 2>/dev/null <"$proc/cmdline" | grep -q '[\\/]tarvell\.exe *$' || continue
        echo "${proc#/proc/}"
    done
}

case $action in
start)
    program=${3:?usage: bystander.sh start DIR PROGRAM}
    rm -rf "$dir"
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1
    # No engine is registered here: it waits at its start-up error box for a user.
    wine "$program" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 600); do
        pid=$(marked_programs | head -n1)
        [ -n "$pid" ] && break
        sleep 0.1
    done
    if [ -z "$pid" ]; then
        echo "FAIL: the bystander never started"
        wineserver -k </dev/null >/dev/null 2>&1 || true
        exit 1
    fi
    echo "$pid" >"$dir/pid"
    echo "bystander Tarvell running as process $pid in $WINEPREFIX"
    ;;
check)
    status=0
    pid=$(cat "$dir/pid" 2>/dev/null || true)
    if [ -n "$pid" ] && marked_programs | grep -qx "$pid"; then
        echo "the bystander Tarvell (process $pid) survived the 32-bit tests"
    else
        echo "FAIL: the bystander Tarvell (process ${pid:-unknown}) was ended by the 32-bit tests"
        status=1
    fi
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    exit $status
    ;;
*)
    echo "usage: bystander.sh start DIR PROGRAM | check DIR" >&2
    exit 2
    ;;
esac
