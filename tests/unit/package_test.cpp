// The package reader against damaged indexes, and the name rules that keep
// a package's names inside their folders.
#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "install/InstallNames.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"

namespace {

std::string Le32(std::uint32_t value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
          static_cast<char>(value >> 24)};
}
// Index bytes as given, however they lie; the writer would refuse them.
std::string Header(std::int32_t count) { return "ARC1" + Le32(static_cast<std::uint32_t>(count)); }
std::string Entry(std::uint32_t offset, std::uint32_t size, std::string_view name) {
  return Le32(offset) + Le32(size) + static_cast<char>(name.size()) + std::string(name);
}

TEST(PackageFile, OpensOnlyConsistentIndexes) {
  struct Case {
    const char* what;
    std::string bytes;
    int entries;  // -1: refused
  } cases[] = {
      {"empty index", Header(0), 0},
      {"negative count is an empty index", Header(INT32_MIN) + "junk", 0},
      {"other magic", "arc1" + Le32(0), -1},
      {"magic without count", "ARC1", -1},
      // Refused at once, without reserving 2^31 entries.
      {"count the file cannot hold", Header(INT32_MAX) + std::string(12, '\0'), -1},
      {"index ends early", Header(2) + Entry(8, 0, "ABC") + std::string(8, '\0'), -1},
      {"name cut short", Header(1) + Entry(8, 0, "ABCDEFGHIJ").substr(0, 14), -1},
      {"offset of 2^31", Header(1) + Entry(0x80000000u, 0, "A"), -1},
      {"data past the end", Header(1) + Entry(18, 2, "A") + "x", -1},
      {"offset plus size wraps 32 bits", Header(1) + Entry(18, 0xFFFFFFFFu, "A") + "x", -1},
      {"data ending at the end", Header(1) + Entry(18, 1, "A") + "x", 1},
      {"empty member at the very end", Header(1) + Entry(18, 0, "A"), 1},
  };
  CTestFolder folder;
  CPackageFile package;
  ASSERT_TRUE(WritePackage(folder.Path() / "good", {{"A", "1"}, {"B", "2"}}));
  for (const Case& c : cases) {
    // Each case follows an opened package: a refusal must drop its index.
    ASSERT_TRUE(package.OpenPackage(folder.Path() / "good"));
    ASSERT_TRUE(WriteBytes(folder.Path() / "setup", c.bytes));
    EXPECT_EQ(package.OpenPackage(folder.Path() / "setup"), c.entries >= 0) << c.what;
    EXPECT_EQ(static_cast<int>(package.Entries().size()), std::max(c.entries, 0)) << c.what;
    EXPECT_EQ(package.LoadMember("B").has_value(), false) << c.what;
  }
  EXPECT_FALSE(package.OpenPackage(folder.Path() / "missing"));
  EXPECT_FALSE(BuildPackage({{std::string(256, 'x'), {}}}));  // the length is one byte
}

TEST(PackageFile, ServesMembersByUpperCasedName) {
  CTestFolder folder;
  const std::string big(1 << 20, 'x');  // past any stdio buffer, so reads reach the file
  ASSERT_TRUE(WritePackage(folder.Path() / "setup", {{"Setting.Csv", "first"},
                                                     {"SETTING.CSV", "second"},
                                                     {"", "nameless"},
                                                     {"\x82\x81\x82\x82", "ab"},
                                                     {"\x83\x61", "trail a"},
                                                     {"big", big}}));
  CPackageFile reader;
  ASSERT_TRUE(reader.OpenPackage(folder.Path() / "setup"));
  struct Case {
    const char* request;
    const char* expected;  // nullptr: no such member
  } cases[] = {
      {"sEtTiNg.cSv", "first"},   {"", "nameless"},
      {"\x82\x60\x82\x61", "ab"},                         // ＡＢ finds ａｂ
      {"\x83\x61", "trail a"},    {"\x83\x41", nullptr},  // a trail byte is no letter
      {"setting.csv ", nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<std::vector<char>> member = reader.LoadMember(c.request);
    EXPECT_EQ(member ? std::string(member->begin(), member->end()) : "(none)",
              c.expected ? c.expected : "(none)")
        << c.request;
  }
#ifndef _WIN32  // Windows refuses to cut a file the reader holds.
  std::filesystem::resize_file(folder.Path() / "setup",
                               std::filesystem::file_size(folder.Path() / "setup") - 1);
  EXPECT_FALSE(reader.LoadMember("big"));
#endif
}

TEST(SafeNames, JudgesNames) {
  // Verdicts: IsSafeRelativePath, IsSafeFileName, IsRelativeName.
  // clang-format off
  const std::pair<const char*, std::vector<std::wstring>> cases[] = {
      {"111", {L"game.exe", L".hidden", L"a..b", L"console", L"com10", L"nul_file"}},
      {"101", {L"data\\表\\ゲーム.dat", L"data/file.dat"}},
      {"001", {L"..", L".", L"data\\..\\..\\windows", L"data/../x", L"...", L".. ", L"name.",
               L"name ", L"data\\\\x", L"data\\", L"a\x7F", L"a*b", L"a?b", L"a\"b", L"a<b",
               L"a>b", L"a|b", L"con", L"data\\NUL.txt", L"com1", L"LPT9.log"}},
      {"000", {L"", L"\\windows\\x", L"/etc/passwd", L"C:x", L"C:\\x", L"file.txt:stream",
               std::wstring(L"a\0b", 3), L"a\tb"}},
  };
  // clang-format on
  for (const auto& [verdicts, names] : cases) {
    for (const std::wstring& name : names) {
      EXPECT_EQ(std::string({static_cast<char>('0' + IsSafeRelativePath(name)),
                             static_cast<char>('0' + IsSafeFileName(name)),
                             static_cast<char>('0' + IsRelativeName(name))}),
                verdicts)
          << testing::PrintToString(name);
    }
  }
}

TEST(SafeNames, FindsTheFirstUnsafeName) {
  using F = NameField;
  struct Case {
    const char* what;
    std::function<void(SetupInfo&)> change;
    std::optional<NameField> field;  // nullopt: usable
  } cases[] = {
      {"all safe", [](SetupInfo&) {}, std::nullopt},
      {"title with a separator", [](SetupInfo& i) { i.title = L"a\\b"; }, F::kTitle},
      {"empty title", [](SetupInfo& i) { i.title.clear(); }, F::kTitle},
      {"maker with a separator", [](SetupInfo& i) { i.company = L"Microsoft\\Windows"; },
       F::kMaker},
      {"empty maker", [](SetupInfo& i) { i.company.clear(); }, F::kMaker},
      {"empty menu folder", [](SetupInfo& i) { i.menuFolder.clear(); }, F::kMenuFolder},
      {"menu folder climbing", [](SetupInfo& i) { i.menuFolder = L"..\\Startup"; }, F::kMenuFolder},
      {"no program, no readme", [](SetupInfo& i) { i.exeFile.clear(), i.readmeFile.clear(); },
       std::nullopt},
      // Only opened or started, never written: ".." is the publisher's choice.
      {"readme and program above",
       [](SetupInfo& i) { i.readmeFile = L"..\\m.txt", i.exeFile = L"../g.exe"; }, std::nullopt},
      {"program on a drive", [](SetupInfo& i) { i.exeFile = L"C:\\x.exe"; }, F::kExeFile},
      {"readme at the root", [](SetupInfo& i) { i.readmeFile = L"/r.txt"; }, F::kReadmeFile},
      {"file climbing", [](SetupInfo& i) { i.files[1].name = L"..\\..\\boot.ini"; }, F::kFile},
      {"caption climbing", [](SetupInfo& i) { i.menus[0].caption = L"..\\x"; }, F::kMenuCaption},
      {"target climbing", [](SetupInfo& i) { i.menus[0].target = L"..\\x"; }, F::kMenuTarget},
  };
  for (const Case& c : cases) {
    SetupInfo info{L"表示ゲーム",
                   L"メーカー",
                   L"bin\\game.exe",
                   L"readme.txt",
                   L"メーカー\\表示ゲーム",
                   L"",
                   {{L"bin\\game.exe", L"DISC1", 10}, {L"data\\a.dat", L"DISC2", 20}},
                   {{L"説明書", L"readme.txt"}, {L"フォルダ", L""}}};
    c.change(info);
    const std::optional<UnsafeName> complaint = FindUnsafeName(info);
    EXPECT_EQ(complaint ? std::optional<NameField>(complaint->field) : std::nullopt, c.field)
        << c.what;
  }
  SetupInfo info;
  info.title = L"表示ゲーム";
  EXPECT_EQ(InstallRecordKeyPath(info), L"");  // never the maker's key itself
  info.company = L"メーカー";
  EXPECT_EQ(InstallRecordKeyPath(info), L"SOFTWARE\\メーカー\\表示ゲーム");
}

}  // namespace
