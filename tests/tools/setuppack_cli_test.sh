#!/bin/sh
# Runs the built setuppack on temporary disc folders: a round trip with
# Japanese names, every refusal of build (exit 1, the line and name told, no
# output left, an existing output untouched), check's problems, usage errors.
#   setuppack_cli_test.sh PATH/TO/setuppack PATH/TO/makesamplebmp
set -u
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
makebmp=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() { failed=1; echo "FAIL: $*"; cat err 2>/dev/null; }
expect() {  # expected exit, what, command...
  want=$1 what=$2; shift 2
  "$@" >out.txt 2>err; rc=$?
  [ "$rc" = "$want" ] || fail "$what: exit $rc, expected $want"
}
has() { grep -q -- "$2" "$1" || fail "\"$2\" not in $1"; }
cp932() { iconv -f UTF-8 -t CP932 > "$1"; }

"$makebmp" wizard pic.bmp || fail "makesamplebmp"
mkdir -p D1/data D2 out
printf 'hello' > D1/game.exe
printf 'abc' > 'D1/data/表紙.txt'
printf '12345678' > D2/two.dat
cp932 good.csv <<'CSV'
項目,パラメータ,ディスク
タイトル,星の旅人
社名,サンプル工房
実行ファイル,game.exe
ファイル,game.exe,DISC1
ファイル,data\表紙.txt,DISC1
ファイル,two.dat,DISC"2
CSV
build() { "$tool" build --launcher-picture pic.bmp --wizard-picture pic.bmp --disc DISC1=D1 "$@"; }

expect 0 "build" build --settings good.csv --disc 'DISC"2=D2' -o out/setup
expect 0 "list" "$tool" list out/setup
[ "$(cut -f3 out.txt | tr '\n' ' ')" = "setting.csv filesize filehash setup.bmp install.bmp " ] || fail "list: $(cat out.txt)"
expect 0 "show" "$tool" show out/setup
# The hash as xxHash's own tool computes it (XXH3 128-bit, canonical form).
has out.txt "{\"name\": \"data\\\\\\\\表紙.txt\", \"disc\": \"DISC1\", \"size\": 3, \"hash\": \"$(xxhsum -H2 D1/data/表紙.txt | cut -c1-32)\"}"
! command -v python3 >/dev/null || python3 -m json.tool out.txt >/dev/null || fail "show: invalid JSON"
expect 0 "extract" "$tool" extract out/setup SETTING.CSV
cmp -s out.txt good.csv || fail "extracted settings differ"
expect 0 "extract -o" "$tool" extract out/setup filesize -o sizes.bin
[ "$(od -An -tx1 sizes.bin | tr -d ' \n')" = 050000000300000008000000 ] || fail "filesize: $(od -tx1 sizes.bin)"
expect 0 "check of complete discs" "$tool" check out/setup --disc DISC1=D1 --disc 'DISC"2=D2'
[ -s out.txt ] && fail "check printed problems for complete discs"

printf 'OLD' > out/existing
refused() {  # what, pattern...; after a build into out/existing
  [ "$rc" = 1 ] || fail "$1: exit $rc, expected 1"
  what=$1; shift
  for pattern in "$@"; do has err "$pattern"; done
  [ "$(cat out/existing)" = OLD ] || fail "$what: existing output changed"
  [ -z "$(ls -A out | grep -v -x -e setup -e existing)" ] || fail "$what: left $(ls -A out)"
}
mv 'D1/data/表紙.txt' hidden.txt
expect 1 "missing file" build --settings good.csv --disc 'DISC"2=D2' -o out/existing
refused "missing file" "line 6" "表紙.txt"
mv hidden.txt 'D1/data/表紙.txt'
expect 1 "disc without folder" build --settings good.csv -o out/existing
refused "disc without folder" "line 7" 'DISC"2'
printf 'not a picture' > bad.bmp
expect 1 "bad picture" "$tool" build --settings good.csv --launcher-picture bad.bmp --wizard-picture pic.bmp \
  --disc DISC1=D1 --disc 'DISC"2=D2' -o out/existing
refused "bad picture" "bad.bmp"
printf '項目,パラメータ\nタイトル,旅\n社名,工房\nファイル,..\\two.dat\n' | cp932 unsafe.csv
expect 1 "unsafe name" build --settings unsafe.csv -o out/existing
refused "unsafe name" "line 4" "two.dat"
printf '項目,パラメータ\nタイトル,旅/人\n社名,工房\n' | cp932 slash.csv
expect 1 "title with a separator" build --settings slash.csv -o out/existing
refused "title with a separator" "line 2" "title"
truncate -s 4G D2/huge.dat
printf '項目,パラメータ,ディスク\nタイトル,旅\n社名,工房\nファイル,huge.dat,DISC"2\n' | cp932 huge.csv
expect 1 "4 GiB file" build --settings huge.csv --disc 'DISC"2=D2' -o out/existing
refused "4 GiB file" "line 4" "huge.dat" "4 GiB"
rm D2/huge.dat
expect 1 "output is a folder" build --settings good.csv --disc 'DISC"2=D2' -o out
refused "output is a folder"
expect 1 "output is an input" build --settings good.csv --disc 'DISC"2=D2' -o D1/game.exe
[ "$(cat D1/game.exe)" = hello ] || fail "output is an input: input changed"

printf '123' > D2/two.dat
rm 'D1/data/表紙.txt'
printf 'hellp' > D1/game.exe  # one byte changed, the size kept
expect 1 "check with problems" "$tool" check out/setup --disc DISC1=D1 --disc 'DISC"2=D2'
[ "$(wc -l < out.txt)" -eq 3 ] || fail "check: three problem lines expected: $(cat out.txt)"
has out.txt "game.exe.*content differs"
has out.txt "表紙.txt.*missing"
has out.txt "two.dat.*size 3.*8"
head -c 20 out/setup > out/cut
expect 1 "list of a truncated package" "$tool" list out/cut

for args in "" "pack x" "list" "extract pkg" "build --settings s.csv -o x" "check out/setup --disc DISC1"; do
  # shellcheck disable=SC2086
  expect 2 "usage error: setuppack $args" "$tool" $args
  has err "usage:"
done
exit $failed
