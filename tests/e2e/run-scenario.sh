#!/usr/bin/env bash
# Runs one end-to-end scenario of e2e_driver.exe in a private Wine prefix:
#   run-scenario.sh --dir DIR --driver EXE --setup EXE --opener EXE
#                   --fixtures DIR --lang LANG --test Suite.Name
#   run-scenario.sh --dir DIR --lang LANG --prepare
# With --desktop NAME,WxH --shots FOLDER the driver runs on Wine's virtual
# desktop, which draws window frames, and the harness takes the pictures
# that the scenarios ask for (TakeScreenshot in Window.h) into FOLDER.
# DIR holds one template prefix per locale, made on first use, and the
# scenarios' working folders. Each scenario gets a copy of the template
# (its own registry, user folders and program folders; the large system
# folders are hard links that no program writes to), its own persistent
# wineserver and an empty drive Q: whose disc the driver swaps (Scenario.h).
# The copy is removed afterwards unless E2E_KEEP=1 (or E2E_KEEP=failed and
# the scenario failed).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

dir= driver= setup= opener= fixtures= lang=ja_JP.UTF-8 test= prepare= desktop= shots=
while (($#)); do
  case $1 in
    --prepare) prepare=1; shift; continue ;;
    --dir) dir=$2 ;;
    --driver) driver=$2 ;;
    --setup) setup=$2 ;;
    --opener) opener=$2 ;;
    --fixtures) fixtures=$2 ;;
    --lang) lang=$2 ;;
    --test) test=$2 ;;
    --desktop) desktop=$2 ;;
    --shots) shots=$2 ;;
    *) echo "run-scenario.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift 2
done
required=(dir driver setup opener fixtures test)
[[ -n $prepare ]] && required=(dir)
for v in "${required[@]}"; do
  [[ -n ${!v} ]] || { echo "run-scenario.sh: --$v is missing" >&2; exit 2; }
done
export SETUP_WINE_LANG=$lang
# Wine's own errors reach the log: a program that cannot make a window says why.
export WINEDEBUG=${WINEDEBUG:-err+all,fixme-all}
# The tree's Wine (win32 or win64), as its CMake set-up wrote it.
[[ -f $dir/wine-arch ]] && SETUP_WINE_ARCH=$(<"$dir/wine-arch")
export SETUP_WINE_ARCH
source "$here/../../scripts/wine-env.sh"

# E2E_TRACE=1: times of the harness's own steps, on standard error.
t0=$(date +%s.%N)
phase() { [[ -n ${E2E_TRACE:-} ]] && awk -v s="$t0" -v e="$(date +%s.%N)" -v p="$1" 'BEGIN { printf "%6.2f s %s\n", e - s, p }' >&2; return 0; }

# Z:\ is the Unix root.
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

# Folders that no program of a scenario writes into: hard-linked from the
# template instead of copied (they are ~680 MB of the ~690). Everything else
# -- the registry files, users, ProgramData, Program Files, the rest of
# windows -- is copied, so nothing a scenario writes can reach the template.
shared=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs
        drive_c/windows/globalization drive_c/windows/resources drive_c/windows/twain_64
        drive_c/windows/twain_32 drive_c/windows/Fonts)

template=$dir/template-$lang
stamp=$template/.e2e-ready

# What the template was made from; another Wine or another shared prefix
# set-up makes it again. Raise the number when the set-up below changes.
template_id() {
  echo "e2e template 2 $SETUP_WINE_ARCH"
  "$WINE" --version 2>/dev/null
  md5sum <"$here/../../scripts/wine-env.sh"
}

template_ready() {
  local id
  id=$(template_id)
  [[ -f $stamp && $(<"$stamp") == "$id" ]] && return 0
  mkdir -p "$dir"
  (
    flock 9
    [[ -f $stamp && $(<"$stamp") == "$id" ]] && exit 0
    wine_env "$template"
    rm -rf "$template"
    wine_prefix_ready "$template"
    # The disc drive reports itself as a CD-ROM drive.
    "$WINE" reg add 'HKLM\Software\Wine\Drives' /v 'q:' /d cdrom /f >/dev/null 2>&1
    # Ends the template's own server; it writes the registry files as it goes.
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    # A 32-bit prefix has no syswow64 and no twain_64; the large folders of
    # either kind must be there.
    for d in drive_c/windows/system32 drive_c/windows/winsxs; do
      [[ -d $template/$d ]] || { echo "template lacks $d" >&2; exit 1; }
    done
    echo "$id" >"$stamp"
  ) 9>"$dir/template-$lang.e2e-lock"  # wine_prefix_ready locks "$template.lock" itself
}

copy_prefix() {  # template, copy
  local from=$1 to=$2 excludes=() d
  for d in "${shared[@]}"; do excludes+=(--exclude="./$d"); done
  mkdir -p "$to" &&
    tar -C "$from" "${excludes[@]}" --exclude=./.e2e-ready -cf - . | tar -C "$to" -xf - &&
    for d in "${shared[@]}"; do
      [[ ! -e $from/$d ]] || cp -al "$from/$d" "$to/$d" || return 1
    done
}

template_ready || { echo "run-scenario.sh: could not make the template prefix $template" >&2; exit 1; }
[[ -n $prepare ]] && exit 0

mkdir -p "$dir/run"
run=$(mktemp -d "$dir/run/${lang%%.*}.${test//[^A-Za-z0-9._-]/_}.XXXX")
prefix=$run/prefix
work=$run/work
server_pid=
server_dir=
xvfb_pid=
status=1

# Ids of the processes that run in this scenario's prefix: those whose
# environment names it (the harness's shell had no such variable at its
# start, and grep is started without it).
prefix_processes() {
  local file
  for file in $(env -u WINEPREFIX grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
    file=${file#/proc/}
    echo "${file%/environ}"
  done
}

cleanup() {
  phase "cleanup"
  if [[ -n $server_pid ]]; then
    # The programs first: a server that ends before them leaves them
    # waiting for it forever. Nothing of the prefix needs to be saved.
    local left
    left=$(prefix_processes)
    [[ -n $left ]] && kill -9 $left 2>/dev/null
    kill -9 "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    left=$(prefix_processes)
    [[ -n $left ]] && kill -9 $left 2>/dev/null
  fi
  phase "server ended"
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  [[ -n $server_dir ]] && rm -rf "$server_dir"
  # Nothing may have written into the template through a hard link.
  local touched
  touched=$(find "$template" -newer "$stamp" -not -path "$template" -print -quit 2>/dev/null)
  if [[ -n $touched ]]; then
    echo "run-scenario.sh: the template prefix was changed ($touched); it will be made again" >&2
    rm -f "$stamp"
    status=1
  fi
  phase "template checked"
  if [[ ${E2E_KEEP:-} == 1 || ( ${E2E_KEEP:-} == failed && $status -ne 0 ) ]]; then
    echo "run-scenario.sh: kept $run" >&2
  else
    rm -rf "$run"
  fi
  phase "removed"
}
trap 'cleanup; exit $status' EXIT
trap 'exit 1' INT TERM

phase "template ready"
copy_prefix "$template" "$prefix" || { echo "run-scenario.sh: could not copy the template" >&2; exit 1; }
mkdir -p "$work"
# Q: names the disc in the tray; the tray starts empty.
ln -sfn "$work/tray/disc" "$prefix/dosdevices/q:"

phase "prefix copied"
wine_env "$prefix"
# The driver plants a DLL of this name beside every setup.exe it copies and
# in the temporary folder (PlantDll); Wine prefers one found beside the
# program, as Windows does for a DLL that is not a known one.
export E2E_PLANT=uxtheme
WINEDLLOVERRIDES+=";$E2E_PLANT=n,b"
export E2E_WORK E2E_FIXTURES E2E_SETUP E2E_OPENER
E2E_WORK=$(winpath "$work")
E2E_FIXTURES=$(winpath "$fixtures")
E2E_SETUP=$(winpath "$setup")
E2E_OPENER=$(winpath "$opener")

# One server for the whole scenario, started before any Wine program, or
# two service processes may start and COM stalls.
"$WINESERVER" -f -p >/dev/null 2>&1 &
server_pid=$!
# Where this server puts its socket: per prefix (device and inode), below a
# base folder named in the prefix on Debian, /tmp/.wine-UID elsewhere.
base=/tmp/.wine-$(id -u)
[[ -f $prefix/wineserver ]] && base=/tmp/$(<"$prefix/wineserver")
server_dir=$base/server-$(stat -c %D "$prefix")-$(printf '%x' "$(stat -c %i "$prefix")")
for _ in $(seq 500); do
  [[ -S $server_dir/socket ]] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.01
done

phase "server started"
log=$run/driver.log
if [[ -z $desktop ]]; then
  # A display of its own: scenarios that run at once never share an X
  # server.
  xvfb_start || { echo "run-scenario.sh: Xvfb did not start" >&2; exit 1; }
fi
start=$(date +%s.%N)

running() {  # pid: true while it runs (a child that ended stays a zombie until waited for)
  local state
  state=$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) && [[ $state != Z ]]
}

# One picture asked for by the driver (TakeScreenshot): its name, the area,
# and the X windows of the program's windows to lay over the desktop's
# picture, which may not show them yet.
take_shot() {
  local request=$work/shot-request.txt name left top right bottom desk xid x y layers=() i=0 ok=
  { read -r name && read -r left top right bottom; } <"$request"
  desk=$(xwininfo -root -tree 2>/dev/null | awk -v t="\"${desktop%%,*} - Wine desktop\"" 'index($0, t) { print $1; exit }')
  if [[ $name =~ ^[A-Za-z0-9_-]+$ && -n $desk ]] && xwd -silent -id "$desk" | convert xwd:- "$work/shot-desktop.png"; then
    while read -r xid x y; do
      xwd -silent -id "$xid" | convert xwd:- "$work/shot-$i.png" &&
        layers+=("$work/shot-$i.png" -geometry "+$x+$y" -composite)
      i=$((i + 1))
    done < <(tail -n +3 "$request")
    convert "$work/shot-desktop.png" "${layers[@]}" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
      "$shots/$name.png" && ok=1
  fi
  if [[ -n $ok ]]; then
    echo "run-scenario.sh: took $shots/$name.png"
    : >"$work/shot-taken.txt"
  else
    echo "run-scenario.sh: could not take the picture $name" >&2
  fi
  rm -f "$request"
}

if [[ -n $desktop ]]; then
  mkdir -p "$shots"
  export E2E_SHOTS=1 E2E_LOG
  E2E_LOG=$(winpath "$log")
  # The desktop lasts while a program runs on it: the driver and what it starts.
  (cd "$work" && timeout -k 5 "${E2E_TIMEOUT:-240}" "$WINE" explorer "/desktop=$desktop" "$(winpath "$driver")" \
    --gtest_filter="$test" --gtest_color=no >/dev/null 2>&1) &
  job=$!
  while running "$job"; do
    [[ -f $work/shot-request.txt ]] && take_shot
    sleep 0.05
  done
  wait "$job"
  rc=0
else
  (cd "$work" && timeout -k 5 "${E2E_TIMEOUT:-240}" "$WINE" "$driver" --gtest_filter="$test" \
    --gtest_color=no >"$log" 2>&1)
  rc=$?
fi
phase "driver ended"
cat "$log"
# A filter that selects nothing passes in GoogleTest: count the tests.
if ((rc == 0)) && grep -q '^\[  PASSED  \] [1-9]' "$log" && ! grep -q '^\[  FAILED  \]' "$log"; then
  status=0
else
  ((rc == 0)) && ! grep -q '^\[  FAILED  \]' "$log" && echo "run-scenario.sh: the driver ran no test named $test" >&2
  status=1
fi
awk -v s="$start" -v e="$(date +%s.%N)" -v t="$test" -v l="$lang" \
  'BEGIN { printf "run-scenario.sh: %s (%s) in %.1f s\n", t, l, e - s }'
