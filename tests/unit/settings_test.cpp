// The settings table and the settings record read from a package.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "package/PackageFile.h"
#include "package/SettingsTable.h"
#include "package/SetupInfo.h"

namespace {

TEST(SettingsTable, SplitsLinesAndCells) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string rows;  // cells in brackets, a row per line
  } cases[] = {
      {"empty file", "", ""},
      {"header only, with line end", "h\r\n", ""},
      {"last line without line end", "h\nx,y", "[x][y]\n"},
      {"empty lines are rows without cells", "h\n\n\r\nx\n\n", "\n\n[x]\n\n"},
      {"empty cells, none after a last comma", "h\n,a,,b,\n", "[][a][][b]\n"},
      {"a lone comma", "h\n,", "[]\n"},
      {"blanks belong to the cell", "h\n a , b\n", "[ a ][ b]\n"},
      {"only one CR is removed", "h\na\r\r\nb\rc\n", "[a\r]\n[b\rc]\n"},
      {"zero bytes are ordinary", std::string("h\na\0b,\0\n", 8), std::string("[a\0b][\0]\n", 9)},
      {"trail byte 0x5C stays in its cell", "h\n\x95\x5C,x", "[\x95\x5C][x]\n"},
  };
  for (const Case& c : cases) {
    CSettingsTable table;
    table.Load(c.bytes);
    std::string rows;
    for (int row = 0; row < table.GetRowCount(); ++row) {
      for (int column = 0; table.GetCell(row, column, "\x01") != "\x01"; ++column)
        rows += "[" + table.GetCell(row, column, "") + "]";
      rows += "\n";
    }
    EXPECT_EQ(rows, c.rows) << c.what;
  }
  CSettingsTable table;
  table.Load("a,b,a\nx");
  EXPECT_EQ(table.FindColumn("a"), 0);  // the first of equal names
  EXPECT_EQ(table.GetCell(0, -1, "dflt"), "dflt");
}

// The record in one line: title|maker|program|readme|menu folder, files as
// name@disc:size, menus as caption>target, then single or multi.
std::wstring Describe(const SetupInfo& info) {
  std::wstring out = info.title + L"|" + info.company + L"|" + info.exeFile + L"|" +
                     info.readmeFile + L"|" + info.menuFolder + L" ";
  for (const FileEntry& f : info.files)
    out += f.name + L"@" + f.disc + L":" + std::to_wstring(f.size) + L" ";
  for (const MenuEntry& m : info.menus) out += m.caption + L">" + m.target + L" ";
  return out + (info.singleDisc ? L"single" : L"multi");
}

TEST(LoadSettings, FillsTheRecordFromThePackage) {
  const std::string h = Cp932(L"項目,パラメータ,第二\r\n");
  const std::string file = Cp932(L"ファイル,");
  struct Case {
    const char* what;
    std::string csv;
    std::string sizes;
    std::wstring expected;
  } cases[] = {
      {"columns found by name", Cp932(L"パラメータ,項目\r\nABC,タイトル\r\n"), "",
       L"ABC||||ABC single"},
      {"all single fields",
       h + Cp932(L"タイトル,表示ゲーム\r\n社名,メーカー\r\n実行ファイル,bin\\game.exe\r\n"
                 L"readmeファイル,お読みください.txt\r\nメニューフォルダ,ゲーム\\表示\r\n"),
       "", L"表示ゲーム|メーカー|bin\\game.exe|お読みください.txt|ゲーム\\表示 single"},
      {"key followed by a blank is ignored", h + Cp932(L"タイトル ,X\r\n"), "", L"|||| single"},
      {"value keeps its leading blank", h + Cp932(L"タイトル, X\r\n"), "", L" X|||| X single"},
      {"key in capitals is another key", h + Cp932(L"READMEファイル,r.txt\r\n"), "",
       L"|||| single"},
      {"later title wins, empty menu folder means the title",
       h + Cp932(L"タイトル,A\nタイトル,B\nメニューフォルダ,\n"), "", L"B||||B single"},
      {"disc cut at a comma; an empty label after the first differs",
       h + file + "a,b,c\n" + file + "c,,\n", "", L"|||| a@b:0 c@:0 multi"},
      {"empty label before the first is not compared",
       h + file + "a,,\n" + file + "b,D1\n" + file + "c,D1\n", "",
       L"|||| a@:0 b@D1:0 c@D1:0 single"},
      {"labels compared as bytes, both U+FFFD", h + file + "a,\x80\n" + file + "b,\xFD\n", "",
       L"|||| a@\xFFFD:0 b@\xFFFD:0 multi"},
      {"menus with and without target",
       h + Cp932(L"メニュー,説明書,doc\\説明.txt\nメニュー,フォルダ\n"), "",
       L"|||| 説明書>doc\\説明.txt フォルダ> single"},
      {"no value column: the first column is the value", Cp932(L"項目,X\nファイル,a\n"), "",
       L"|||| @ファイル:0 single"},
      {"no key column: nothing is recognised", Cp932(L"キー,パラメータ\nタイトル,T\n"), "",
       L"|||| single"},
      {"no disc cells; 10 size bytes for three files",
       h + file + "a\n\n" + file + "b\n" + file + "c", "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A",
       L"|||| a@DISC1:67305985 b@DISC1:134678021 c@DISC1:2569 single"},
      {"sizes: extra bytes are ignored", h + file + "a\n", std::string(4, '\xFF') + "junk",
       L"|||| a@DISC1:4294967295 single"},
  };
  CTestFolder folder;
  for (const Case& c : cases) {
    ASSERT_TRUE(
        WritePackage(folder.Path() / "setup", {{"setting.csv", c.csv}, {"filesize", c.sizes}}));
    CPackageFile package;
    ASSERT_TRUE(package.OpenPackage(folder.Path() / "setup"));
    SetupInfo info;
    ASSERT_TRUE(LoadSettings(package, info) && LoadFileSizes(package, info)) << c.what;
    EXPECT_EQ(Describe(info), c.expected) << c.what;
  }
  ASSERT_TRUE(WritePackage(folder.Path() / "setup", {{"setup.bmp", "BM"}}));
  CPackageFile package;
  ASSERT_TRUE(package.OpenPackage(folder.Path() / "setup"));
  SetupInfo info;
  EXPECT_FALSE(LoadSettings(package, info));
  EXPECT_FALSE(LoadFileSizes(package, info));
}

TEST(LoadFileHashes, CoversTheFilesTheMemberHolds) {
  // A short member, found whatever its case: the third file installs unchecked.
  ContentHash first, second;
  first.fill(0xA5), second.fill(0x5A);
  const std::string csv =
      Cp932(L"項目,パラメータ\nファイル,表紙.bmp\nファイル,空.dat\nファイル,三.dat\n");
  CTestFolder folder;
  ASSERT_TRUE(
      WritePackage(folder.Path() / "setup",
                   {{"setting.csv", csv},
                    {"FileHash", std::string(first.begin(), first.end()) +
                                     std::string(second.begin(), second.end()) + "short"}}));
  CPackageFile package;
  ASSERT_TRUE(package.OpenPackage(folder.Path() / "setup"));
  SetupInfo info;
  ASSERT_TRUE(LoadSettings(package, info));
  LoadFileHashes(package, info);
  ASSERT_EQ(info.files.size(), 3u);
  EXPECT_EQ(info.files[0].hash, first);
  EXPECT_EQ(info.files[1].hash, second);
  EXPECT_EQ(info.files[2].hash, std::nullopt);
}

}  // namespace
