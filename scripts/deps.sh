#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing. Safe to run
# again: it does nothing when everything is there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          libxxhash-dev xxhash zlib1g-dev libz-mingw-w64-dev
          wine wine64 xvfb xauth x11-apps x11-utils imagemagick locales fonts-ipafont-gothic fonts-wine)
# 32-bit Wine is installed where the machine has i386 enabled; it is not
# needed on kernels without 32-bit support, where the tests run wine64.
for p in "${packages[@]}"; do have "$p" || need+=("$p"); done

if ((${#need[@]})); then
  echo "deps: installing ${need[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -q i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null 2>&1 || true
fi

# Code page 932 and code page 1252 under Wine come from these two locales.
gen=0
for loc in ja_JP.UTF-8 en_US.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc%%.*}\.utf-\?8$"; then
    sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" >> /etc/locale.gen
    gen=1
  fi
done
if ((gen)); then locale-gen >/dev/null; fi
