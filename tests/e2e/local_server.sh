#!/bin/sh
# Switches the test prefix's stand-in registration: "register" to the local server, "restore"
# back to the DLL. Usage: local_server.sh register|restore <wine> <server.exe> [<dll>]
set -e
action=$1 wine=$2 server=$3 dll=$4
if [ "$action" = register ]; then
    "$wine" "$server" /RegServer
else
    "$wine" regsvr32 /s "$(winepath -w "$dll")"
fi
