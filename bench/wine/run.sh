#!/usr/bin/env bash
# Builds install_bench in a Windows tree and runs it under Wine in a prefix
# of its own: the copy worker against a CopyFileW loop, large and small
# files, each checked against its content hash, ratios printed (targets:
# large >= 0.9, small >= 0.85).
#   bench/wine/run.sh [BUILD_TREE]    (default: build/win32 where 32-bit
#                                      Wine runs, else build/win64)
# The files live in memory (a tmpfs folder as drive M:) where /dev/shm has
# 3 GiB free: on a virtual machine's disk the pace drifts tenfold between
# rounds and the ratio says more about the disk than about the copy.
# Else, and with SETUP_BENCH_DISK=1, they go to the prefix's drive C:.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/wine-env.sh"
default=win64
wine32_runs && default=win32
tree=${1:-$root/build/$default}
# Wine needs an absolute prefix: a tree named relative to here becomes one.
tree=$(realpath -m "$tree")
[[ -f $tree/CMakeCache.txt ]] || bash "$root/scripts/build.sh" "$(basename "$tree")"
cmake --build "$tree" --target install_bench -j"${SETUP_JOBS:-2}" -- --no-print-directory >/dev/null
SETUP_WINE_ARCH=win64
grep -q '^CMAKE_TOOLCHAIN_FILE.*i686' "$tree/CMakeCache.txt" && SETUP_WINE_ARCH=win32
source "$root/scripts/wine-env.sh"
prefix=$tree/bench-wineprefix
wine_env "$prefix"
xvfb_pid=
server_pid=
memory=
cleanup() {
  # The prefix's own programs (services, device hosts) too: they would
  # outlive the server and the run.
  local file pid
  for file in $(grep -lzxs "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
    pid=${file#/proc/}; pid=${pid%/environ}
    [[ $pid == "$$" || $pid == "$BASHPID" ]] || kill "$pid" 2>/dev/null
  done
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  [[ -n $memory ]] && rm -rf "$memory" "$prefix/dosdevices/m:" "$prefix/dosdevices/n:"
}
trap cleanup EXIT
if [[ -z ${DISPLAY:-} ]]; then
  xvfb_start || { echo "bench/wine/run.sh: Xvfb did not start" >&2; exit 1; }
fi
wine_prefix_ready "$prefix"
# One server for the run, started before the program.
"$WINESERVER" -f -p >/dev/null 2>&1 &
server_pid=$!
sleep 0.5
# Output through a file: services the program starts would hold a pipe open.
log=$(mktemp)
work=()
if [[ -z ${SETUP_BENCH_DISK:-} ]] &&
  (($(df --output=avail -k /dev/shm 2>/dev/null | tail -1 || echo 0) > 3 * 1024 * 1024)); then
  memory=$(mktemp -d /dev/shm/install_bench.XXXXXX)
  ln -sfn "$memory" "$prefix/dosdevices/m:"
  # N: a CD-ROM drive, for the cost of finding a disc's files on another drive.
  mkdir -p "$memory/n" && ln -sfn "$memory/n" "$prefix/dosdevices/n:"
  "$WINE" reg add 'HKLM\Software\Wine\Drives' /v n: /d cdrom /f >/dev/null 2>&1
  work=('M:\install_bench')
  echo "files in memory: M: is $memory"
fi
status=0
"$WINE" "$tree/bin/install_bench.exe" "${work[@]}" >"$log" 2>&1 || status=$?
cat "$log"
rm -f "$log"
exit $status
