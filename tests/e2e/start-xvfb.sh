#!/usr/bin/env bash
# The one way the tests and benchmarks start an X server: an Xvfb of the caller's own
# on the first free display, which it writes to descriptor 3, as a number, once it
# takes connections. The script becomes the server, so the caller stops it by the PID
# it started.
#
#   start-xvfb.sh [WIDTHxHEIGHT [XVFB_OPTION...]] 3>DISPLAY_FILE
#
# SA_XVFB names the server program; without it, Xvfb from PATH. -noreset: a server that
# starts afresh whenever its last client leaves refuses connections meanwhile, and the
# tests' clients come and go.
set -eu
size=${1:-1024x768}
if [ $# -gt 0 ]; then shift; fi
exec "${SA_XVFB:-Xvfb}" -displayfd 3 -nolisten tcp -noreset -screen 0 "${size}x24" "$@"
