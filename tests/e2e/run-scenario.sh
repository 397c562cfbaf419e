#!/usr/bin/env bash
# Runs one scenario of e2e_driver.exe (--test Suite.Name; the options below)
# in a copy of DIR's template prefix for LANG (made first, or alone with
# --prepare), with its own wineserver, X server and empty CD-ROM drives Q:, R:
# and S: whose discs the driver swaps. The copy goes unless E2E_KEEP=1 (or =failed).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

dir= driver= setup= opener= fixtures= lang=ja_JP.UTF-8 test= prepare=
while (($#)); do
  case $1 in
    --prepare) prepare=1; shift ;;
    --dir | --driver | --setup | --opener | --fixtures | --lang | --test) declare "${1#--}=$2"; shift 2 ;;
    *) echo "run-scenario.sh: unknown argument $1" >&2; exit 2 ;;
  esac
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

winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

# Folders that no program of a scenario writes into (~680 MB of ~690): hard-
# linked from the template. All else is copied, out of a scenario's reach.
shared=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs
        drive_c/windows/globalization drive_c/windows/resources drive_c/windows/twain_64
        drive_c/windows/twain_32 drive_c/windows/Fonts)

template=$dir/template-$lang
stamp=$template/.e2e-ready

# What the template was made from: raise the number when its set-up changes.
template_id() {
  echo "e2e template 3 $SETUP_WINE_ARCH"
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
    # The disc drives report themselves as CD-ROM drives.
    for d in q r s; do "$WINE" reg add 'HKLM\Software\Wine\Drives' /v "$d:" /d cdrom /f >/dev/null 2>&1; done
    # Ends the template's own server; it writes the registry files as it goes.
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    # The large folders of either kind (a 32-bit prefix has no syswow64).
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
prefix=$run/prefix work=$run/work
server_pid= server_dir= xvfb_pid= status=1

cleanup() {
  if [[ -n $server_pid ]]; then
    # The programs with their server, at once: a server that ends before
    # them leaves them waiting for it forever.
    wine_end_prefixes_below "$run" -KILL
    wait "$server_pid" 2>/dev/null
    wine_end_prefixes_below "$run" -KILL
  fi
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
  if [[ ${E2E_KEEP:-} == 1 || ( ${E2E_KEEP:-} == failed && $status -ne 0 ) ]]; then
    echo "run-scenario.sh: kept $run" >&2
  else
    rm -rf "$run"
  fi
}
trap 'cleanup; exit $status' EXIT
trap 'exit 1' INT TERM

copy_prefix "$template" "$prefix" || { echo "run-scenario.sh: could not copy the template" >&2; exit 1; }
mkdir -p "$work"
# Q: names the disc in the tray, R: and S: those in trays r and s (images
# mounted side by side); the trays start empty.
for d in q r s; do ln -sfn "$work/tray${d#q}/disc" "$prefix/dosdevices/$d:"; done

# A display of its own, tall enough for the launcher at 150 %; started
# before the prefix is named, so that ending the prefix's processes spares it.
xvfb_start 1024x1024 || { echo "run-scenario.sh: Xvfb did not start" >&2; exit 1; }
wine_env "$prefix"
# The DLL the driver plants beside every setup.exe it copies and in the
# temporary folder, preferred from the program's folder (README.md).
export E2E_WORK=$(winpath "$work") E2E_FIXTURES=$(winpath "$fixtures") E2E_SETUP=$(winpath "$setup") \
  E2E_OPENER=$(winpath "$opener") E2E_PLANT=uxtheme
WINEDLLOVERRIDES+=";$E2E_PLANT=n,b"

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

log=$run/driver.log
(cd "$work" && timeout -k 5 "${E2E_TIMEOUT:-240}" "$WINE" "$driver" --gtest_filter="$test" \
  --gtest_color=no >"$log" 2>&1)
rc=$?
cat "$log"
# A filter that selects nothing passes in GoogleTest: count the tests.
if ((rc == 0)) && ! grep -q '^\[  FAILED  \]' "$log"; then
  grep -q '^\[  PASSED  \] [1-9]' "$log" && status=0 ||
    echo "run-scenario.sh: the driver ran no test named $test" >&2
fi
