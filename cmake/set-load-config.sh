#!/usr/bin/env bash
# Points the load configuration directory of a linked PE image at its
# section .ldcfg, which holds _load_config_used (src/app/LoadConfig.cpp), and
# computes the image's checksum again. The MinGW linker of this build
# (binutils 2.40) leaves that directory empty, whatever the image defines.
#   set-load-config.sh IMAGE
set -euo pipefail
image=$1
fail() { echo "set-load-config.sh: $image: $*" >&2; exit 1; }

u16() { od -An -tu2 -j "$1" -N2 "$image" | tr -d ' '; }
u32() { od -An -tu4 -j "$1" -N4 "$image" | tr -d ' '; }
put32() {  # offset, value: little-endian, in place
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($2 & 255)) $(($2 >> 8 & 255)) $(($2 >> 16 & 255)) $(($2 >> 24 & 255)))" |
    dd of="$image" bs=1 seek="$1" conv=notrunc status=none
}

pe=$(u32 60)
[[ $(u32 "$pe") == 17744 ]] || fail "not a PE image"  # "PE\0\0"
sections=$(u16 $((pe + 6)))
optional=$((pe + 24))
case $(u16 "$optional") in
  267) directories=$((optional + 96)) ;;   # PE32
  523) directories=$((optional + 112)) ;;  # PE32+
  *) fail "unknown optional header" ;;
esac
(($(u32 $((directories - 4))) > 10)) || fail "no load configuration directory entry"

table=$((optional + $(u16 $((pe + 20)))))
rva= raw=
for ((i = 0; i < sections; i++)); do
  header=$((table + 40 * i))
  if [[ $(dd if="$image" bs=1 skip="$header" count=8 status=none | tr -d '\0') == .ldcfg ]]; then
    rva=$(u32 $((header + 12)))
    raw=$(u32 $((header + 20)))
  fi
done
[[ -n $rva ]] || fail "no section .ldcfg"

# The directory's size is the structure's own, its first field.
put32 $((directories + 8 * 10)) "$rva"
put32 $((directories + 8 * 10 + 4)) "$(u32 "$raw")"

# The checksum: the image's 16-bit words summed with end-around carry (the
# checksum field as zero), plus the image's length.
checksum=$((optional + 64))
put32 "$checksum" 0
sum=$(od -An -v -tu2 "$image" | awk '{ for (i = 1; i <= NF; i++) { s += $i; s = s % 65536 + int(s / 65536) } } END { print s }')
put32 "$checksum" $((sum + $(stat -c %s "$image")))
