#!/usr/bin/env bash
# Builds everything and runs every suite: native unit tests (ASan/UBSan),
# the fuzz targets for a few seconds each, the Windows unit tests and the
# end-to-end suite under Wine (in Japanese and in an English locale).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/build.sh native fuzz win64 win32

source scripts/wine-env.sh
export SETUP_TEST_SUITE=1
xvfb_pid=
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  # The suite's persistent Wine servers and their helpers end with it.
  wine_end_prefixes_below "$root/build"
}
trap cleanup EXIT
if [[ -z "${DISPLAY:-}" ]]; then
  # One virtual display for the Windows unit tests; every end-to-end
  # scenario starts its own.
  xvfb_start || { echo "test.sh: Xvfb did not start" >&2; exit 1; }
fi

# The Windows suites test what ships, the 32-bit program, where this kernel
# runs 32-bit code; elsewhere the same sources built for x86-64 stand in
# (the 32-bit tree is still built, with its 32-bit-only faults as errors).
windows=win64
wine32_runs && windows=win32
echo "Windows suites: $windows"

status=0
for t in native fuzz "$windows"; do
  echo "== test $t"
  # A failed test fails the run: every step of a scenario waits for the
  # state it needs, so a second try would only hide a fault.
  (cd "build/$t" && ctest --output-on-failure -j"${SETUP_TEST_JOBS:-2}") || status=1
  if [[ $t == fuzz ]]; then
    # How far each fuzz target got in its few seconds.
    awk '/^[0-9]+\/[0-9]+ Test: fuzz\.[a-z]+$/ { name = $3 }
         /^Done [0-9]+ runs in/ { print name ": " $2 " runs in " $5 " s" }' \
      build/fuzz/Testing/Temporary/LastTest.log || true
  fi
done
exit $status
