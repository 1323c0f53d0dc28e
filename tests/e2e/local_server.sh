#!/bin/bash
# The prefix where the stand-in is registered in its local-server form, beside the test prefix
# of the DLL: a registry of its own, so that the two forms' suites never see each other's
# registration, and a server, desktop and display of its own, so that they may run side by side.
#   local_server.sh start <root> <prefix> <server.exe> <wine_desktop.exe>
#   local_server.sh stop  <root> <prefix> <wine_desktop.exe>
set -uo pipefail
action=$1 root=$2 prefix=$3
source "$root/scripts/lib.sh"
use_wine_prefix "$prefix"
if [ "$action" = start ]; then
    server=$4 holder=$5
    start_prefix_display || { echo "no display of its own for $prefix"; exit 1; }
    # A new prefix's first session of Wine finishes setting it up in the background, and COM
    # could not start a local server during it: that session is ended and a second one used.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        start_wine
        stop_wine
    fi
    start_wine
    wine "$server" /RegServer </dev/null >/dev/null 2>&1 ||
        { echo "the local server did not register itself in $prefix"; exit 1; }
    # Wine's desktop held up as in the test prefix; the holder runs detached.
    (wine "$holder" hold </dev/null >/dev/null 2>&1 &)
    wine "$holder" </dev/null || { echo "Wine's desktop did not come up in $prefix"; exit 1; }
else
    holder=$4
    use_prefix_display
    wine "$holder" release </dev/null >/dev/null 2>&1 || true
    stop_wine
    stop_prefix_display
fi
