#!/usr/bin/env bash
# Builds every tree: native (tools, unit tests under ASan/UBSan), the Windows
# program for 32-bit x86 (the shipped setup.exe) and for x86-64 (run by the
# Windows test suites under wine64), and the fuzz targets (clang).
#   scripts/build.sh [native|win32|win64|fuzz|bench]...   (default: all but bench)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/deps.sh
jobs=${SETUP_JOBS:-$(nproc)}
trees=("$@")
((${#trees[@]})) || trees=(native win64 win32 fuzz)

configure() {  # dir, cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$root/build/$dir" -Wno-dev "$@" >/dev/null
}

# The native tree comes first: the Windows trees use its tools.
ordered=(native)
for t in "${trees[@]}"; do [[ $t == native ]] || ordered+=("$t"); done
for t in "${ordered[@]}"; do
  case $t in
    native) configure native -DSETUP_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug ;;
    win64|win32)
      arch=x86_64; [[ $t == win32 ]] && arch=i686
      configure "$t" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DSETUP_NATIVE_TOOLS_DIR="$root/build/native/bin" ;;
    fuzz) CC=clang CXX=clang++ configure fuzz -DSETUP_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo ;;
    bench) configure bench -DSETUP_BENCH=ON -DCMAKE_BUILD_TYPE=Release ;;
    *) echo "build.sh: unknown tree $t" >&2; exit 2 ;;
  esac
  echo "== build $t" >&2
  status=0
  cmake --build "build/$t" -j"$jobs" -- --no-print-directory >"build/$t.log" 2>&1 || status=$?
  grep -v -E '^\[ *[0-9]+%\] (Building|Linking|Built)' "build/$t.log" || true
  if ((status)); then echo "build.sh: the $t tree failed to build" >&2; exit 1; fi
done
