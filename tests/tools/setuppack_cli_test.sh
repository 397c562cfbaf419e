#!/bin/sh
# Runs the built setuppack on temporary disc folders: a build, list, show and
# extract round trip with Japanese names, every refusal of build (message
# names the line and file, exit 1, no output left, an existing output
# untouched), check's problem report, and usage errors.
#   setuppack_cli_test.sh PATH/TO/setuppack
set -u
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

passed=0
failed=0
ok() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect_rc() {  # expected, actual, what
  if [ "$1" = "$2" ]; then ok; else fail "$3: exit $2, expected $1"; cat err 2>/dev/null; fi
}
expect_grep() {  # file, pattern, what
  if grep -q -- "$2" "$1"; then ok; else fail "$3: \"$2\" not in $1:"; cat "$1"; fi
}

# A 1x1 24-bit picture: file header, info header, one padded pixel row.
bmp() {
  printf 'BM\072\000\000\000\000\000\000\000\066\000\000\000' > "$1"
  printf '\050\000\000\000\001\000\000\000\001\000\000\000\001\000\030\000' >> "$1"
  printf '\000\000\000\000\004\000\000\000\000\000\000\000\000\000\000\000' >> "$1"
  printf '\000\000\000\000\000\000\000\000\377\000\000\000' >> "$1"
}
settings() {  # UTF-8 lines on stdin -> code page 932 file $1
  iconv -f UTF-8 -t CP932 > "$1"
}

mkdir -p D1/data D2 out
printf 'hello' > D1/game.exe
printf 'abc' > 'D1/data/表紙.txt'
printf '12345678' > D2/two.dat
bmp launcher.bmp
bmp wizard.bmp
printf 'not a picture' > bad.bmp
settings good.csv <<'CSV'
項目,パラメータ,ディスク
タイトル,星の旅人
社名,サンプル工房
実行ファイル,game.exe
readmeファイル,readme.txt
ファイル,game.exe,DISC1
ファイル,data\表紙.txt,DISC1
ファイル,two.dat,DISC2
メニュー,マニュアル,data\表紙.txt
CSV

build() {  # extra arguments after the settings file
  "$tool" build --launcher-picture launcher.bmp --wizard-picture wizard.bmp --disc DISC1=D1 "$@" >out.txt 2>err
}

# --- round trip -------------------------------------------------------------
build --settings good.csv --disc DISC2=D2 -o out/setup
expect_rc 0 $? "build"
"$tool" list out/setup > list.txt
expect_rc 0 $? "list"
if [ "$(cut -f3 list.txt | tr '\n' ' ')" = "setting.csv filesize filehash setup.bmp install.bmp " ]; then ok; else fail "list names"; cat list.txt; fi
if [ "$(sed -n 2p list.txt | cut -f2)" = 12 ]; then ok; else fail "filesize member size"; cat list.txt; fi

"$tool" show out/setup > show.json
expect_rc 0 $? "show"
expect_grep show.json '"title": "星の旅人"' "show title"
expect_grep show.json '{"name": "data\\\\表紙.txt", "disc": "DISC1", "size": 3, "hash": "' "show file with 0x5C trail byte"
expect_grep show.json '"singleDisc": false' "show singleDisc"
expect_grep show.json '"launcher": {"width": 1, "height": 1, "bitCount": 24}' "show picture"
if command -v python3 >/dev/null; then
  python3 -m json.tool show.json >/dev/null && ok || fail "show prints invalid JSON"
fi

"$tool" extract out/setup SETTING.CSV > extracted.csv
expect_rc 0 $? "extract to stdout"
cmp -s extracted.csv good.csv && ok || fail "extracted settings differ"
"$tool" extract out/setup filesize -o sizes.bin
expect_rc 0 $? "extract -o"
if [ "$(od -An -tx1 sizes.bin | tr -d ' \n')" = 050000000300000008000000 ]; then ok; else fail "filesize bytes"; od -tx1 sizes.bin; fi
"$tool" extract out/setup 表紙.txt > /dev/null 2>err
expect_rc 1 $? "extract missing member"

"$tool" check out/setup --disc DISC1=D1 --disc DISC2=D2 > check.txt
expect_rc 0 $? "check of complete discs"
[ -s check.txt ] && fail "check printed problems for complete discs"

# --- refusals ---------------------------------------------------------------
printf 'OLD' > out/existing
refuse() {  # what, pattern... ; the build was run just before
  rc=$?
  expect_rc 1 $rc "$1"
  what=$1
  shift
  for pattern in "$@"; do expect_grep err "$pattern" "$what"; done
  if [ "$(cat out/existing)" = OLD ]; then ok; else fail "$what: existing output changed"; fi
  leftovers=$(ls -A out | grep -v -x -e setup -e existing)
  [ -z "$leftovers" ] && ok || fail "$what: left $leftovers"
}

mv 'D1/data/表紙.txt' hidden.txt
build --settings good.csv --disc DISC2=D2 -o out/existing
refuse "missing file" "line 7" "表紙.txt"
build --settings good.csv --disc DISC2=D2 -o out/new
refuse "missing file, new output" "line 7"
[ -e out/new ] && fail "missing file: output created"
mv hidden.txt 'D1/data/表紙.txt'

build --settings good.csv -o out/existing
refuse "disc without folder" "line 8" "two.dat" "DISC2"

"$tool" build --settings good.csv --launcher-picture bad.bmp --disc DISC1=D1 --disc DISC2=D2 -o out/existing 2>err
refuse "bad picture" "bad.bmp" "BMP"

sed 's/^ファイル,two.dat/ファイル,..\\two.dat/' <<'CSV' | settings unsafe.csv
項目,パラメータ,ディスク
タイトル,星の旅人
社名,サンプル工房
ファイル,game.exe,DISC1
ファイル,two.dat,DISC2
CSV
build --settings unsafe.csv --disc DISC2=D2 -o out/existing
refuse "unsafe name" "line 5" "two.dat"

printf '項目,パラメータ\nタイトル,\n社名,工房\nファイル,game.exe\n' | settings notitle.csv
build --settings notitle.csv -o out/existing
refuse "empty title" "line 2" "title"
printf '項目,パラメータ\nタイトル,旅\nファイル,game.exe\n' | settings nomaker.csv
build --settings nomaker.csv -o out/existing
refuse "missing maker" "maker"
printf '項目,パラメータ\nタイトル,旅/人\n社名,工房\n' | settings slash.csv
build --settings slash.csv -o out/existing
refuse "title with a separator" "line 2" "title"

if truncate -s 4G D2/huge.dat 2>/dev/null; then
  printf '項目,パラメータ,ディスク\nタイトル,旅\n社名,工房\nファイル,huge.dat,DISC2\n' | settings huge.csv
  build --settings huge.csv --disc DISC2=D2 -o out/existing
  refuse "4 GiB file" "line 4" "huge.dat" "4 GiB"
  rm D2/huge.dat
fi

build --settings good.csv --disc DISC2=D2 -o D1/game.exe
refuse "output is an input" "game.exe"
[ "$(cat D1/game.exe)" = hello ] && ok || fail "output is an input: input changed"
build --settings good.csv --disc DISC2=D2 -o out
refuse "output is a folder" "folder"
build --settings missing.csv --disc DISC2=D2 -o out/existing
refuse "missing settings file" "missing.csv"

# --- check ------------------------------------------------------------------
printf '123' > D2/two.dat
rm 'D1/data/表紙.txt'
"$tool" check out/setup --disc DISC1=D1 --disc DISC2=D2 > check.txt
expect_rc 1 $? "check with problems"
[ "$(wc -l < check.txt)" -eq 2 ] && ok || { fail "check: two problem lines expected"; cat check.txt; }
expect_grep check.txt "表紙.txt.*missing" "check missing file"
expect_grep check.txt "two.dat.*size 3.*8" "check wrong size"
"$tool" check out/setup --disc DISC1=D1 > check.txt
expect_grep check.txt "two.dat.*no --disc" "check disc without folder"

# --- packages the launcher refuses --------------------------------------------
head -c 20 out/setup > out/cut
for command in list show; do
  "$tool" $command out/cut > /dev/null 2>err
  expect_rc 1 $? "$command of a truncated package"
done
"$tool" show good.csv > /dev/null 2>err
expect_rc 1 $? "show of a non-package"
expect_grep err "good.csv" "show of a non-package"

# --- usage ------------------------------------------------------------------
"$tool" --help > help.txt 2>err
expect_rc 0 $? "--help"
expect_grep help.txt "setuppack build" "--help prints usage"
for args in "" "pack x" "list" "show a b" "extract pkg" "build --settings s.csv -o x" \
            "check out/setup --disc DISC1" "list out/setup --bogus"; do
  # shellcheck disable=SC2086
  "$tool" $args > /dev/null 2>err
  expect_rc 2 $? "usage error: setuppack $args"
  expect_grep err "usage:" "usage text for: setuppack $args"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
