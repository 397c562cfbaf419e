#!/usr/bin/env bash
# Builds the shipped programs (win32, Release: setup.exe and setuppack.exe)
# twice from this checkout's commit, in two clones in different temporary
# folders one after the other, and compares them byte for byte. Exits 0
# and prints their SHA-256 when they are the same.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh"
commit=$(git -C "$root" rev-parse HEAD)
first=$(mktemp -d /tmp/setup-repro.XXXXXX)
second=$(mktemp -d /tmp/setup-reproducible-build.XXXXXX)
trap 'rm -rf "$first" "$second"' EXIT

for dir in "$first" "$second"; do
  git clone -q "$root" "$dir/source"
  git -C "$dir/source" checkout -q "$commit"
  # Only the two programs are built: no tools of the native tree are needed.
  cmake -S "$dir/source" -B "$dir/build" -Wno-dev -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$dir/source/cmake/mingw-i686.cmake" -DSETUP_NATIVE_TOOLS_DIR="$dir/none" >/dev/null
  cmake --build "$dir/build" --target setup setuppack -j"$(nproc)" >/dev/null
done

status=0
for program in setup.exe setuppack.exe; do
  if cmp -s "$first/build/bin/$program" "$second/build/bin/$program"; then
    echo "same: $program $(sha256sum <"$first/build/bin/$program" | cut -c1-64) ($(stat -c %s "$first/build/bin/$program") bytes)"
  else
    echo "DIFFERENT: $program" >&2
    status=1
  fi
done
exit $status
