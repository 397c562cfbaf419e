#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix:
#   wine-run.sh PREFIX PROGRAM [ARGS...]
# Creates the prefix on first use. Uses the build's own prefix, never ~/.wine.
# LANG defaults to ja_JP.UTF-8 (code page 932); SETUP_WINE_LANG overrides it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$1; shift
source "$here/wine-env.sh"
wine_env "$prefix"
wine_prefix_ready "$prefix"
wine_server_start
# Wine's helper processes (services, the desktop) outlive the program and
# inherit its output: through a pipe, the caller would wait for them too. So
# the output goes through a file, printed once the program has ended.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run=("$WINE" "$@")
[[ -z "${DISPLAY:-}" ]] && run=(xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}")
status=0
"${run[@]}" >"$log" 2>&1 </dev/null || status=$?
cat "$log"
exit $status
