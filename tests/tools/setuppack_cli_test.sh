#!/bin/sh
# The built setuppack on temporary disc folders: a build with Japanese names
# and what list, show, extract and check make of it; progress on stderr
# only; autorun.inf and its icon; every refusal of build (exit 1, the line
# and name told, nothing left, an existing output untouched); check's
# problems and its summary per disc; usage errors.
#   setuppack_cli_test.sh SETUPPACK MAKESAMPLEBMP
set -u
tool=$(realpath "$1") makebmp=$(realpath "$2") work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() { failed=1; echo "FAIL: $*"; cat err 2>/dev/null; }
run() {  # expected exit, command...
  want=$1; shift
  "$@" >out.txt 2>err; rc=$?
  [ "$rc" = "$want" ] || fail "$*: exit $rc, expected $want"
}
has() { grep -q -- "$2" "$1" || fail "\"$2\" not in $1"; }
csv() { printf "項目,パラメータ,ディスク\nタイトル,$2\n社名,工房\n$3" | iconv -f UTF-8 -t CP932 > "$1"; }
build() { "$tool" build --launcher-picture "${launcher:-pic.bmp}" --wizard-picture pic.bmp --disc DISC1=D1 "$@"; }
refused() {  # what build names (| between), build args...
  patterns=$1; shift
  run 1 build "$@"
  IFS='|'; for p in $patterns; do has err "$p"; done; unset IFS
  [ "$(cat out/existing)" = OLD ] && [ "$(ls -A out | tr '\n' ' ')" = "existing setup " ] ||
    fail "$*: output touched: $(ls -A out)"
}

"$makebmp" wizard pic.bmp || fail "makesamplebmp"
mkdir -p D1/data D2 out
printf 'hello' > D1/game.exe
# Past a megabyte, read in several chunks: the hash's vector path is used.
yes 表紙 | head -c 1048583 > 'D1/data/表紙.txt'
printf '12345678' > D2/two.dat
csv good.csv 星の旅人 '実行ファイル,game.exe\nファイル,game.exe,DISC1\nファイル,data\\表紙.txt,DISC1\nファイル,two.dat,DISC"2\n'
run 0 build --settings good.csv --disc 'DISC"2=D2' -o out/setup
run 0 "$tool" list out/setup
[ "$(cut -f3 out.txt | tr '\n' ' ')" = "setting.csv filesize filehash setup.bmp install.bmp " ] || fail "list: $(cat out.txt)"
run 0 "$tool" show out/setup
# The hash as xxHash's own tool computes it (XXH3 128-bit, canonical form).
has out.txt "{\"name\": \"data\\\\\\\\表紙.txt\", \"disc\": \"DISC1\", \"size\": 1048583, \"hash\": \"$(xxhsum -H2 D1/data/表紙.txt | cut -c1-32)\"}"
! command -v python3 >/dev/null || python3 -m json.tool out.txt >/dev/null || fail "show: invalid JSON"
run 0 "$tool" extract out/setup SETTING.CSV
cmp -s out.txt good.csv || fail "extracted settings differ"
run 0 "$tool" extract out/setup filesize -o sizes.bin
[ "$(od -An -tx1 sizes.bin | tr -d ' \n')" = 050000000700100008000000 ] || fail "filesize: $(od -tx1 sizes.bin)"
run 0 "$tool" check out/setup --disc DISC1=D1 --disc 'DISC"2=D2'
[ -s out.txt ] && fail "check printed problems for complete discs"
grep -q % err && fail "progress shown where stderr is no terminal: $(cat err)"

# Progress: on stderr with --progress or on a terminal, never on stdout;
# --quiet shows none (nor check's summary).
run 0 build --settings good.csv --disc 'DISC"2=D2' -o out/setup --progress
has err '^  0%  0 B of 1.0 MiB  .*/s  .* left  DISC1: game.exe$'
has err '^100%  1.0 MiB of 1.0 MiB  .*/s  done in'
grep -q % out.txt && fail "build --progress wrote to stdout: $(cat out.txt)"
run 0 "$tool" check out/setup --disc DISC1=D1 --disc 'DISC"2=D2' --progress
has err '^100%'
[ -s out.txt ] && fail "check --progress wrote to stdout: $(cat out.txt)"
run 0 build --settings good.csv --disc 'DISC"2=D2' -o out/setup --quiet
[ -s err ] && fail "build --quiet wrote to stderr: $(cat err)"
run 0 "$tool" check out/setup --disc DISC1=D1 --disc 'DISC"2=D2' --quiet
[ -s err ] && fail "check --quiet wrote to stderr: $(cat err)"
T=$tool script -qec '"$T" check out/setup --disc DISC1=D1 --disc "DISC\"2=D2"' /dev/null > tty.txt
has tty.txt "$(printf '\r')100%"

# --autorun: refused as a whole for an icon that is no icon or not whole,
# or a title code page 932 cannot hold; else autorun.inf and autorun.ico
# beside the first file, the label cut to the 32 characters a drive shows.
printf '\0\0\1\0\1\0\1\1\0\0\1\0\40\0\60\0\0\0\26\0\0\0\50\0\0\0\1\0\0\0\2\0\0\0\1\0\40\0' > icon.ico
head -c 32 /dev/zero >> icon.ico
printf 'OLD' > out/existing
refused 'pic.bmp|not an icon' --settings good.csv --disc 'DISC"2=D2' -o out/existing --autorun --icon pic.bmp
# Images cut short: a header promising 32x32 at 32 bits and 16 bytes; a PNG
# signature and zeros.
printf '\0\0\1\0\1\0\40\40\0\0\1\0\40\0\70\0\0\0\26\0\0\0\50\0\0\0\40\0\0\0\100\0\0\0\1\0\40\0' > cut.ico
head -c 40 /dev/zero >> cut.ico
refused 'cut.ico|image 1 of 1' --settings good.csv --disc 'DISC"2=D2' -o out/existing --autorun --icon cut.ico
printf '\0\0\1\0\1\0\1\1\0\0\1\0\40\0\103\0\0\0\26\0\0\0\211PNG\r\n\32\n' > zeros.ico
head -c 59 /dev/zero >> zeros.ico
refused 'zeros.ico|image 1 of 1' --settings good.csv --disc 'DISC"2=D2' -o out/existing --autorun --icon zeros.ico
csv tilde.csv '旅~' 'ファイル,game.exe,DISC1\n'
tr '~' '\377' < tilde.csv > badtitle.csv
refused 'line 2|code page 932' --settings badtitle.csv -o out/existing --autorun --icon icon.ico
[ "$(ls -A D1 | tr '\n' ' ')" = "data game.exe " ] || fail "refused autorun left: $(ls -A D1)"
label=あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみ
csv auto.csv "${label}むめも" 'ファイル,game.exe,DISC1\n'
run 0 build --settings auto.csv -o auto.setup --autorun --icon icon.ico
has err "label is \"$label\""
printf '[autorun]\r\nopen=setup.exe\r\nlabel=%s\r\nicon=autorun.ico\r\n' "$label" | iconv -t CP932 |
  cmp -s - D1/autorun.inf || fail "autorun.inf: $(od -c D1/autorun.inf)"
cmp -s icon.ico D1/autorun.ico || fail "autorun.ico differs from the icon"
# A whole PNG image (1x1, grey).
printf '\0\0\1\0\1\0\1\1\0\0\1\0\40\0\103\0\0\0\26\0\0\0\211PNG\r\n\32\n' > png.ico
printf '\0\0\0\15\111\110\104\122\0\0\0\1\0\0\0\1\10\0\0\0\0\72\176\233\125' >> png.ico
printf '\0\0\0\12\111\104\101\124\170\234\143\140\0\0\0\2\0\1\110\257\244\161' >> png.ico
printf '\0\0\0\0\111\105\116\104\256\102\140\202' >> png.ico
run 0 build --settings auto.csv -o auto.setup --autorun --icon png.ico
cmp -s png.ico D1/autorun.ico || fail "autorun.ico differs from the PNG icon"
rm D1/autorun.inf D1/autorun.ico

printf 'OLD' > out/existing
mv 'D1/data/表紙.txt' hidden.txt
refused 'line 6|表紙.txt' --settings good.csv --disc 'DISC"2=D2' -o out/existing
mv hidden.txt 'D1/data/表紙.txt'
refused 'line 7|DISC"2' --settings good.csv -o out/existing
printf 'not a picture' > bad.bmp
launcher=bad.bmp
refused bad.bmp --settings good.csv --disc 'DISC"2=D2' -o out/existing
unset launcher
csv unsafe.csv 旅 'ファイル,..\\two.dat\n'
refused 'line 4|two.dat' --settings unsafe.csv -o out/existing
csv slash.csv 旅/人 ''
refused 'line 2|title' --settings slash.csv -o out/existing
truncate -s 4G D2/huge.dat
csv huge.csv 旅 'ファイル,huge.dat,DISC"2\n'
refused 'line 4|huge.dat|4 GiB' --settings huge.csv --disc 'DISC"2=D2' -o out/existing
rm D2/huge.dat
refused '' --settings good.csv --disc 'DISC"2=D2' -o out
run 1 build --settings good.csv --disc 'DISC"2=D2' -o D1/game.exe
[ "$(cat D1/game.exe)" = hello ] || fail "output is an input: input changed"

printf '123' > D2/two.dat
rm 'D1/data/表紙.txt'
printf 'hellp' > D1/game.exe  # one byte changed, the size kept
run 1 "$tool" check out/setup --disc DISC1=D1 --disc 'DISC"2=D2'
[ "$(wc -l < out.txt)" -eq 3 ] || fail "check: three problem lines expected: $(cat out.txt)"
has out.txt "game.exe.*content differs"
has out.txt "表紙.txt.*missing"
has out.txt "two.dat.*size 3.*8"
[ "$(cat err)" = 'disc "DISC1": 2 files checked, 1 missing, 0 of another size, 1 of other content
disc "DISC"2": 1 file checked, 0 missing, 1 of another size, 0 of other content' ] ||
  fail "check's summary: $(cat err)"
head -c 20 out/setup > out/cut
run 1 "$tool" list out/cut

for args in "" "pack x" "list" "extract pkg" "build --settings s.csv -o x" "check out/setup --disc DISC1" \
  "build --settings s.csv --disc A=B -o x --icon i.ico" "check out/setup --disc A=B --progress --quiet"; do
  # shellcheck disable=SC2086
  run 2 "$tool" $args
  has err "usage:"
done
exit $failed
