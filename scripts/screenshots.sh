#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ of setup.exe under Wine, with the
# window frames that Wine's virtual desktop draws.
#   scripts/screenshots.sh [--tree DIR] [--lang LANG] [--out DIR] [FILTER]
# screenshots.exe (scripts/Screenshots.cpp) brings the program into each
# state with the end-to-end suite's steps, in a scenario's private prefix
# (tests/e2e/run-scenario.sh), and has this script take the picture:
#   scripts/screenshots.sh --capture NAME LEFT TOP RIGHT BOTTOM [XID X Y]...
# FILTER is a GoogleTest filter (default "*", e.g. "Launcher.*"). The tree
# (default: the one whose Windows suites this machine runs) must be built,
# with its sample discs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [[ ${1:-} == --capture ]]; then
  # The desktop's picture, each window's own laid over it where it stands,
  # cropped to the area; it appears whole in SETUP_SHOTS_OUT.
  name=$2 left=$3 top=$4 right=$5 bottom=$6
  shift 6
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  desk=$(xwininfo -root -tree | awk '/"shot - Wine desktop"/ { print $1; exit }')
  xwd -silent -id "$desk" | convert xwd:- "$work/desktop.png"
  layers=()
  for ((i = 0; $# >= 3; i++)); do
    xwd -silent -id "$1" | convert xwd:- "$work/$i.png" && layers+=("$work/$i.png" -geometry "+$2+$3" -composite)
    shift 3
  done
  convert "$work/desktop.png" "${layers[@]}" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    "$work/shot.png"
  mv "$work/shot.png" "$SETUP_SHOTS_OUT/$name.png"
  echo "screenshots.sh: took $SETUP_SHOTS_OUT/$name.png" >&2
  exit 0
fi

source "$root/scripts/wine-env.sh"
tree=$root/build/win64
wine32_runs && tree=$root/build/win32
lang=ja_JP.UTF-8
out=$root/docs/screenshots
filter='*'
while (($#)); do
  case $1 in
    --tree) tree=$(realpath "$2"); shift 2 ;;
    --lang) lang=$2; shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    -*) echo "screenshots.sh: unknown option $1" >&2; exit 2 ;;
    *) filter=$1; shift ;;
  esac
done
for program in screenshots.exe e2e_opener.exe setup.exe; do
  [[ -f $tree/bin/$program ]] || { echo "screenshots.sh: $tree/bin/$program is missing; build the tree first" >&2; exit 1; }
done
[[ -d $tree/sample/DISC1 ]] || { echo "screenshots.sh: $tree/sample has no discs; build the tree first" >&2; exit 1; }

mkdir -p "$out"
export SETUP_SHOTS=$root/scripts/screenshots.sh SETUP_SHOTS_OUT=$out
bash "$root/tests/e2e/run-scenario.sh" --dir "$tree/e2e" --driver "$tree/bin/screenshots.exe" \
  --setup "$tree/bin/setup.exe" --opener "$tree/bin/e2e_opener.exe" --fixtures "$tree/e2e/fixtures" \
  --lang "$lang" --test "$filter"
