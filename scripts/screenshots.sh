#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ of setup.exe under Wine, with the
# window frames that Wine's virtual desktop draws, on a private virtual
# display.
#   scripts/screenshots.sh [--tree DIR] [--lang LANG] [--out DIR] [FILTER]
# Each picture is taken by an end-to-end scenario of a suite named
# Screenshot* (tests/e2e/screenshot_*_test.cpp, or a Screenshot* suite in
# any other *_test.cpp there): it brings the program into a state and calls
# TakeScreenshot(name, windows), which becomes OUT/name.png. FILTER is a
# GoogleTest filter (default "Screenshot*.*", e.g. "ScreenshotLauncher.*").
# The tree (default build/win64) must be built, with its sample discs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree=$root/build/win64
lang=ja_JP.UTF-8
out=$root/docs/screenshots
filter='Screenshot*.*'
while (($#)); do
  case $1 in
    --tree) tree=$(realpath "$2"); shift 2 ;;
    --lang) lang=$2; shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    -*) echo "screenshots.sh: unknown option $1" >&2; exit 2 ;;
    *) filter=$1; shift ;;
  esac
done
for program in e2e_driver.exe e2e_opener.exe setup.exe; do
  [[ -f $tree/bin/$program ]] || { echo "screenshots.sh: $tree/bin/$program is missing; build the tree first" >&2; exit 1; }
done
[[ -d $tree/sample/DISC1 ]] || { echo "screenshots.sh: $tree/sample has no discs; build the tree first" >&2; exit 1; }

source "$root/scripts/wine-env.sh"
# A display of its own, so that no other window gets into the pictures; tall
# enough for the launcher at 150 %.
xvfb_pid=
cleanup() { [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null; return 0; }
trap cleanup EXIT
xvfb_start 1024x1024 || { echo "screenshots.sh: Xvfb did not start" >&2; exit 1; }

mkdir -p "$out"
bash "$root/tests/e2e/run-scenario.sh" --dir "$tree/e2e" --driver "$tree/bin/e2e_driver.exe" \
  --setup "$tree/bin/setup.exe" --opener "$tree/bin/e2e_opener.exe" --fixtures "$tree/e2e/fixtures" \
  --lang "$lang" --test "$filter" --desktop shot,1024x1024 --shots "$out"
