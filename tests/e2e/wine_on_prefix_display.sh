#!/bin/bash
# Runs a test program under Wine on the display of its prefix, where the prefix has one of its
# own (the local server's prefix, whose programs run beside the test prefix's).
source "$(dirname "$0")/../../scripts/lib.sh"
use_prefix_display
exec wine "$@"
