#!/bin/sh
# Runs a test program under Wine on the display of its prefix, where the prefix has one of its
# own (the local server's prefix, whose programs run beside the test prefix's).
if [ -s "${WINEPREFIX:-}/.display" ]; then
    DISPLAY=":$(cat "$WINEPREFIX/.display")"
    export DISPLAY
fi
exec wine "$@"
