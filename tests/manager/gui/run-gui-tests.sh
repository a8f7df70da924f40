#!/bin/sh
# Runs the GUI test driver in a dedicated Wine prefix and stops that
# prefix's wineserver afterwards, whatever the result.
# Usage: run-gui-tests.sh <prefix> <wine-run> <driver.exe> [args...]
set -u
prefix="$1"; wine_run="$2"; shift 2

# Windows need a display: use a private Xvfb when none is given.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a sh "$0" "$prefix" "$wine_run" "$@"
fi

export WINEPREFIX="$prefix"
sh "$wine_run" "$@"
status=$?
wineserver -k 2>/dev/null
exit $status
