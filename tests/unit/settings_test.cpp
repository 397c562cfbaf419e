#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPackage.h"
#include "package/PackageFile.h"
#include "package/SettingsTable.h"
#include "package/SetupInfo.h"

namespace {

using testing_support::BuildPackage;
using testing_support::Cp932;
using testing_support::CTempDir;
using testing_support::WriteBytes;

using Rows = std::vector<std::vector<std::string>>;

// Every cell of every row, found by asking for columns until the default
// comes back.
Rows Dump(const CSettingsTable& table) {
  static const std::string missing = "\x01missing";
  Rows rows;
  for (int row = 0; row < table.GetRowCount(); ++row) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (int column = 0;; ++column) {
      std::string cell = table.GetCell(row, column, missing);
      if (cell == missing) break;
      cells.push_back(std::move(cell));
    }
  }
  return rows;
}

TEST(SettingsTable, SplitsLinesAndCells) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> header;
    Rows rows;
  } cases[] = {
      {"empty file", "", {}, {}},
      {"header only, no line end", "a,b", {"a", "b"}, {}},
      {"header only, with line end", "a,b\r\n", {"a", "b"}, {}},
      {"last line without line end", "h\nx,y", {"h"}, {{"x", "y"}}},
      {"empty lines are rows without cells", "h\n\n\r\nx\n\n", {"h"}, {{}, {}, {"x"}, {}}},
      {"empty cells, none after a last comma", "h\n,a,,b,\n", {"h"}, {{"", "a", "", "b"}}},
      {"a lone comma", "h\n,", {"h"}, {{""}}},
      {"blanks belong to the cell", "h\n a , b\n", {"h"}, {{" a ", " b"}}},
      {"only one CR is removed", "h\na\r\r\nb\rc\n", {"h"}, {{"a\r"}, {"b\rc"}}},
      {"zero bytes are ordinary",
       std::string("h\na\0b,\0\n", 8),
       {"h"},
       {{std::string("a\0b", 3), std::string(1, '\0')}}},
      {"trail byte 0x5C stays in its cell", "h\n\x95\x5C,x", {"h"}, {{"\x95\x5C", "x"}}},
  };
  for (const Case& c : cases) {
    CSettingsTable table;
    table.Load(c.bytes);
    for (std::size_t i = 0; i < c.header.size(); ++i)
      EXPECT_EQ(table.FindColumn(c.header[i]), static_cast<int>(i)) << c.what;
    EXPECT_EQ(Dump(table), c.rows) << c.what;
  }

  CSettingsTable table;
  table.Load("a,b,a\nx");
  EXPECT_EQ(table.FindColumn("a"), 0);
  EXPECT_EQ(table.FindColumn("A"), -1);
  EXPECT_EQ(table.FindColumn("c"), -1);
  EXPECT_EQ(table.GetCell(0, -1, "dflt"), "dflt");
  EXPECT_EQ(table.GetCell(0, 1, "dflt"), "dflt");
}

struct Expected {
  std::wstring title, company, exeFile, readmeFile, menuFolder;
  std::vector<std::pair<std::wstring, std::wstring>> files = {};  // name, disc
  std::vector<std::pair<std::wstring, std::wstring>> menus = {};  // caption, target
  bool singleDisc = true;
};

class LoadSettingsTest : public ::testing::Test {
 protected:
  bool Open(const std::vector<testing_support::Member>& members) {
    const std::filesystem::path path = m_dir.Path() / ("setup" + std::to_string(m_next++));
    return WriteBytes(path, BuildPackage(members)) && m_package.OpenPackage(path);
  }

  CTempDir m_dir;
  int m_next = 0;
  CPackageFile m_package;
};

const std::wstring kHeader = L"項目,パラメータ,第二\r\n";

TEST_F(LoadSettingsTest, FillsTheRecordFromTheTable) {
  struct Case {
    const char* what;
    std::wstring csv;  // written as code page 932
    Expected expected;
  } cases[] = {
      {"columns found by name", L"パラメータ,項目\r\nABC,タイトル\r\n", {L"ABC", {}, {}, {}, L"ABC"}},
      {"all single fields",
       kHeader + L"タイトル,表示ゲーム\r\n社名,メーカー\r\n実行ファイル,bin\\game.exe\r\n"
                 L"readmeファイル,お読みください.txt\r\nメニューフォルダ,ゲーム\\表示\r\n",
       {L"表示ゲーム", L"メーカー", L"bin\\game.exe", L"お読みください.txt", L"ゲーム\\表示"}},
      {"key followed by a blank is ignored", kHeader + L"タイトル ,X\r\n", {}},
      {"value keeps its leading blank", kHeader + L"タイトル, X\r\n", {L" X", {}, {}, {}, L" X"}},
      {"key in capitals is another key", kHeader + L"READMEファイル,r.txt\r\n", {}},
      {"later title wins", kHeader + L"タイトル,A\nタイトル,B\n", {L"B", {}, {}, {}, L"B"}},
      {"empty menu folder means the title",
       kHeader + L"タイトル,A\nメニューフォルダ,\n",
       {L"A", {}, {}, {}, L"A"}},
      {"value cut at a comma", kHeader + L"ファイル,a,b,c\n", {{}, {}, {}, {}, {}, {{L"a", L"b"}}}},
      {"file without disc cell", kHeader + L"ファイル,a\n", {{}, {}, {}, {}, {}, {{L"a", L"DISC1"}}}},
      {"file with empty disc cell", kHeader + L"ファイル,a,,\n", {{}, {}, {}, {}, {}, {{L"a", L""}}}},
      {"two labels then another",
       kHeader + L"ファイル,a,D1\nファイル,b,D1\nファイル,c,D2\n",
       {{}, {}, {}, {}, {}, {{L"a", L"D1"}, {L"b", L"D1"}, {L"c", L"D2"}}, {}, false}},
      {"all without disc cell",
       kHeader + L"ファイル,a\nファイル,b\n",
       {{}, {}, {}, {}, {}, {{L"a", L"DISC1"}, {L"b", L"DISC1"}}, {}, true}},
      {"empty label before the first is not compared",
       kHeader + L"ファイル,a,,\nファイル,b,D1\nファイル,c,D1\n",
       {{}, {}, {}, {}, {}, {{L"a", L""}, {L"b", L"D1"}, {L"c", L"D1"}}, {}, true}},
      {"empty label after the first differs",
       kHeader + L"ファイル,a,D1\nファイル,b,,\n",
       {{}, {}, {}, {}, {}, {{L"a", L"D1"}, {L"b", L""}}, {}, false}},
      {"menus with and without target",
       kHeader + L"メニュー,説明書,doc\\説明.txt\nメニュー,フォルダ\n",
       {{}, {}, {}, {}, {}, {}, {{L"説明書", L"doc\\説明.txt"}, {L"フォルダ", L""}}}},
      {"no value column: second parameter from the first column",
       L"項目,X\nファイル,a\nタイトル,T\n",
       {{}, {}, {}, {}, {}, {{L"", L"ファイル"}}}},
      {"no key column: nothing is recognised", L"キー,パラメータ\nタイトル,T\nファイル,a\n", {}},
      {"empty file", L"", {}},
      {"empty line in the middle",
       kHeader + L"タイトル,A\n\nファイル,f\n",
       {L"A", {}, {}, {}, L"A", {{L"f", L"DISC1"}}}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Open({{"setting.csv", Cp932(c.csv)}})) << c.what;
    SetupInfo info;
    ASSERT_TRUE(LoadSettings(m_package, info)) << c.what;
    const Expected& e = c.expected;
    EXPECT_EQ(info.title, e.title) << c.what;
    EXPECT_EQ(info.company, e.company) << c.what;
    EXPECT_EQ(info.exeFile, e.exeFile) << c.what;
    EXPECT_EQ(info.readmeFile, e.readmeFile) << c.what;
    EXPECT_EQ(info.menuFolder, e.menuFolder) << c.what;
    EXPECT_EQ(info.singleDisc, e.singleDisc) << c.what;
    ASSERT_EQ(info.files.size(), e.files.size()) << c.what;
    for (std::size_t i = 0; i < e.files.size(); ++i) {
      EXPECT_EQ(info.files[i].name, e.files[i].first) << c.what;
      EXPECT_EQ(info.files[i].disc, e.files[i].second) << c.what;
      EXPECT_EQ(info.files[i].size, 0u) << c.what;
    }
    ASSERT_EQ(info.menus.size(), e.menus.size()) << c.what;
    for (std::size_t i = 0; i < e.menus.size(); ++i) {
      EXPECT_EQ(info.menus[i].caption, e.menus[i].first) << c.what;
      EXPECT_EQ(info.menus[i].target, e.menus[i].second) << c.what;
    }
  }
}

TEST_F(LoadSettingsTest, ComparesDiscLabelsAsBytes) {
  // Both labels decode to U+FFFD, yet they are different discs.
  ASSERT_TRUE(Open({{"setting.csv",
                     Cp932(kHeader) + Cp932(L"ファイル,a,") + "\x80\n" + Cp932(L"ファイル,b,") + "\xFD\n"}}));
  SetupInfo info;
  ASSERT_TRUE(LoadSettings(m_package, info));
  ASSERT_EQ(info.files.size(), 2u);
  EXPECT_EQ(info.files[0].disc, info.files[1].disc);
  EXPECT_FALSE(info.singleDisc);
}

TEST_F(LoadSettingsTest, MissingMembersFail) {
  ASSERT_TRUE(Open({{"setup.bmp", "BM"}}));
  SetupInfo info;
  EXPECT_FALSE(LoadSettings(m_package, info));
  EXPECT_FALSE(LoadFileSizes(m_package, info));
}

TEST_F(LoadSettingsTest, ReadsFileSizes) {
  const std::string sizes = "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10";
  struct Case {
    const char* what;
    std::size_t bytes;
    std::vector<std::uint32_t> expected;
  } cases[] = {
      {"empty member", 0, {0, 0, 0}},
      {"one byte fills the low byte", 1, {0x01, 0, 0}},
      {"4 bytes for three files", 4, {0x04030201, 0, 0}},
      {"10 bytes: the third gets 16 bits", 10, {0x04030201, 0x08070605, 0x0A09}},
      {"exact", 12, {0x04030201, 0x08070605, 0x0C0B0A09}},
      {"extra bytes are ignored", 16, {0x04030201, 0x08070605, 0x0C0B0A09}},
  };
  const std::string csv = Cp932(kHeader + L"ファイル,a\nファイル,b\nファイル,c\n");
  for (const Case& c : cases) {
    ASSERT_TRUE(Open({{"setting.csv", csv}, {"filesize", sizes.substr(0, c.bytes)}})) << c.what;
    SetupInfo info;
    ASSERT_TRUE(LoadSettings(m_package, info)) << c.what;
    ASSERT_TRUE(LoadFileSizes(m_package, info)) << c.what;
    ASSERT_EQ(info.files.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(info.files[i].size, c.expected[i]) << c.what << " " << i;
  }
}

}  // namespace
