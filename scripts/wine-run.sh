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
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$WINE" "$@"
fi
exec "$WINE" "$@"
