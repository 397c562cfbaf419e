// The package reader against damaged indexes, the settings table and the
// settings record read from a package, what the launcher accepts, the name
// rules that keep a package's names inside their folders, and the picture
// checks: what they accept and where they find it, and headers that lie
// about sizes (run under the sanitizers: nothing is read outside).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "TestSupport.h"
#include "install/InstallNames.h"
#include "package/Bitmap.h"
#include "package/PackageAcceptance.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SettingsTable.h"
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
  // The entries found; -1: refused.
  const Row<std::string, int> cases[] = {
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
  for (const auto& c : cases) {
    // Each case follows an opened package: a refusal must drop its index.
    ASSERT_TRUE(package.OpenPackage(folder.Path() / "good"));
    ASSERT_TRUE(WriteBytes(folder.Path() / "setup", c.in));
    EXPECT_EQ(package.OpenPackage(folder.Path() / "setup"), c.out >= 0) << c.what;
    EXPECT_EQ(static_cast<int>(package.Entries().size()), std::max(c.out, 0)) << c.what;
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

TEST(SettingsTable, SplitsLinesAndCells) {
  // The rows: cells in brackets, a row per line.
  const Row<std::string, std::string> cases[] = {
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
  for (const auto& c : cases) {
    CSettingsTable table;
    table.Load(c.in);
    std::string rows;
    for (int row = 0; row < table.GetRowCount(); ++row) {
      for (int column = 0; table.GetCell(row, column, "\x01") != "\x01"; ++column)
        rows += "[" + table.GetCell(row, column, "") + "]";
      rows += "\n";
    }
    EXPECT_EQ(rows, c.out) << c.what;
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

TEST(AcceptPackage, RefusesWhatTheLauncherWouldNotStartOn) {
  const std::string csv = Cp932(L"項目,パラメータ\nタイトル,表示\n社名,メーカー\nファイル,a.dat\n");
  const std::string climbing = csv + Cp932(L"ファイル,..\\boot.ini\n");
  const std::string hash(ContentHash().size(), '\x5A');
  using Members = std::vector<std::pair<std::string, std::string>>;
  using R = PackageRefusal;
  const Row<Members, R> cases[] = {
      {"accepted, hashes read",
       {{"setting.csv", csv}, {"filesize", Le32(7)}, {"filehash", hash}},
       R::kNone},
      {"no settings", {{"filesize", Le32(7)}}, R::kNoSettings},
      {"neither member: the settings are told", {{"setup.bmp", "BM"}}, R::kNoSettings},
      {"no sizes, whatever the names", {{"setting.csv", climbing}}, R::kNoFileSizes},
      {"a file name climbing out",
       {{"setting.csv", climbing}, {"filesize", Le32(7)}},
       R::kUnsafeName},
  };
  CTestFolder folder;
  for (const auto& c : cases) {
    ASSERT_TRUE(WritePackage(folder.Path() / "setup", c.in));
    CPackageFile package;
    ASSERT_TRUE(package.OpenPackage(folder.Path() / "setup"));
    SetupInfo info;
    const PackageAcceptance acceptance = AcceptPackage(package, info);
    EXPECT_EQ(acceptance.refusal, c.out) << c.what;
    EXPECT_EQ(acceptance.Accepted(), c.out == R::kNone) << c.what;
    ASSERT_EQ(acceptance.unsafe.has_value(), c.out == R::kUnsafeName) << c.what;
    if (acceptance.unsafe) {
      EXPECT_EQ(acceptance.unsafe->field, NameField::kFile);
      EXPECT_EQ(acceptance.unsafe->value, L"..\\boot.ini");
    }
    if (acceptance.Accepted()) {
      ASSERT_EQ(info.files.size(), 1u);
      EXPECT_EQ(info.files[0].size, 7u);
      ContentHash expected;
      expected.fill(0x5A);
      EXPECT_EQ(info.files[0].hash, expected);
    }
  }
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
  SetupInfo safe;
  safe.title = L"表示ゲーム", safe.company = L"メーカー", safe.exeFile = L"bin\\game.exe";
  safe.readmeFile = L"readme.txt", safe.menuFolder = L"メーカー\\表示ゲーム";
  safe.files = {{L"bin\\game.exe", L"DISC1", 10}, {L"data\\a.dat", L"DISC2", 20}};
  safe.menus = {{L"説明書", L"readme.txt"}, {L"フォルダ", L""}};
  // The change to a safe record, and the field found unsafe (nullopt: usable).
  const Row<std::function<void(SetupInfo&)>, std::optional<NameField>> cases[] = {
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
  for (const auto& c : cases) {
    SetupInfo info = safe;
    c.in(info);
    const std::optional<UnsafeName> complaint = FindUnsafeName(info);
    EXPECT_EQ(complaint ? std::optional<NameField>(complaint->field) : std::nullopt, c.out)
        << c.what;
  }
  SetupInfo info;
  info.title = L"表示ゲーム";
  EXPECT_EQ(InstallRecordKeyPath(info), L"");  // never the maker's key itself
  info.company = L"メーカー";
  EXPECT_EQ(InstallRecordKeyPath(info), L"SOFTWARE\\メーカー\\表示ゲーム");
}

struct Picture {
  std::int32_t width = 4, height = 2;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0, headerSize = 40, colorsUsed = 0;
  std::uint32_t tableBytes = 0;   // bytes between the header and the pixels
  std::int64_t pixelOffset = -1;  // -1: right after the table
  std::uint64_t pixelBytes = 0;   // bytes of pixel data written
};

std::string Make(const Picture& p) {
  const auto offset = static_cast<std::uint32_t>(
      p.pixelOffset >= 0 ? p.pixelOffset : 14 + p.headerSize + p.tableBytes);
  std::string out = "BM";
  for (const std::uint32_t value :
       {0u, 0u, offset, p.headerSize, static_cast<std::uint32_t>(p.width),
        static_cast<std::uint32_t>(p.height), 1u | std::uint32_t{p.bitCount} << 16, p.compression,
        0u, 2835u, 2835u, p.colorsUsed, 0u}) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
  }
  // Absurd header sizes and offsets are only claimed, never padded for.
  out.resize(14 + std::min<std::uint32_t>(p.headerSize, 124) + p.tableBytes, '\0');
  if (offset < (1u << 20)) out.resize(std::max<std::size_t>(out.size(), offset), '\0');
  out.resize(out.size() + p.pixelBytes, '\0');
  return out;
}

TEST(Bitmap, FindsTheLayoutOrRefuses) {
  struct Case {
    const char* what;
    std::string bytes;
    std::uint32_t infoSize, pixelBytes;  // 0, 0: refused
  } cases[] = {
      {"33 pixels at 1 bit pad to 8 bytes", Make({33, 1, 1, 0, 40, 0, 8, -1, 8}), 48, 8},
      {"10 pixels at 8 bits pad to 12 bytes", Make({10, 1, 8, 0, 40, 0, 1024, -1, 12}), 1064, 12},
      {"8 bits with 16 colours", Make({10, 1, 8, 0, 40, 16, 64, -1, 12}), 104, 12},
      {"4 bits", Make({3, 2, 4, 0, 40, 0, 64, -1, 8}), 104, 8},
      {"top-down", Make({4, -2, 24, 0, 40, 0, 0, -1, 24}), 40, 24},
      {"16 bits", Make({3, 1, 16, 0, 40, 0, 0, -1, 8}), 40, 8},
      {"bit fields after a 40-byte header", Make({4, 1, 32, 3, 40, 0, 12, -1, 16}), 52, 16},
      {"bit fields inside a V5 header", Make({4, 1, 32, 3, 124, 0, 0, -1, 16}), 124, 16},
      {"gap before the pixels", Make({4, 1, 24, 0, 40, 0, 0, 100, 12}), 86, 12},
      {"trailing bytes", Make({4, 1, 24, 0, 40, 0, 0, -1, 100}), 40, 12},
      {"empty", "", 0, 0},
      {"no BM", "XM" + Make({}).substr(2), 0, 0},
      {"headers cut short", Make({}).substr(0, 53), 0, 0},
      {"pixels one byte short", Make({4, 2, 24, 0, 40, 0, 0, -1, 23}), 0, 0},
      {"RLE8", Make({4, 1, 8, 1, 40, 0, 1024, -1, 4}), 0, 0},
      {"JPEG inside", Make({4, 1, 24, 4, 40, 0, 0, -1, 12}), 0, 0},
      {"bit fields at 24 bits", Make({4, 1, 24, 3, 40, 0, 12, -1, 12}), 0, 0},
      {"2 bits per pixel", Make({4, 1, 2, 0, 40, 0, 16, -1, 4}), 0, 0},
      {"zero width", Make({0, 1, 24, 0, 40, 0, 0, -1, 4}), 0, 0},
      {"negative width", Make({-4, 1, 24, 0, 40, 0, 0, -1, 12}), 0, 0},
      {"zero height", Make({4, 0, 24, 0, 40, 0, 0, -1, 12}), 0, 0},
      {"most negative height", Make({4, INT32_MIN, 24, 0, 40, 0, 0, -1, 12}), 0, 0},
      {"core header", Make({4, 1, 24, 0, 12, 0, 28, -1, 12}), 0, 0},
      {"pixels overlap the header", Make({4, 1, 24, 0, 40, 0, 0, 50, 12}), 0, 0},
      {"colour table missing", Make({10, 1, 8, 0, 40, 0, 0, -1, 12}), 0, 0},
      {"more colours than the bit count allows", Make({10, 1, 8, 0, 40, 257, 1028, -1, 12}), 0, 0},
      {"colours used wraps 32 bits when multiplied",
       Make({10, 1, 8, 0, 40, 0x40000001u, 1024, -1, 12}), 0, 0},
      {"masks missing", Make({4, 1, 32, 3, 40, 0, 0, -1, 16}), 0, 0},
      {"header size past the member", Make({4, 1, 24, 0, 0xFFFFFFF0u, 0, 0, 54, 12}), 0, 0},
      {"pixel bytes overflow 32 bits", Make({0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 40, 0, 0, -1, 0}), 0,
       0},
      {"pixel offset near 2^32", Make({4, 1, 24, 0, 40, 0, 0, 0xFFFFFFF8u, 0}), 0, 0},
  };
  for (const Case& c : cases) {
    const std::optional<BitmapLayout> layout = ParseBitmap(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(layout.has_value(), c.infoSize != 0) << c.what;
    if (layout && c.infoSize != 0) {
      EXPECT_EQ(std::make_tuple(layout->infoOffset, layout->infoSize, layout->pixelOffset,
                                layout->pixelBytes),
                std::make_tuple(14u, c.infoSize, 14 + c.infoSize, c.pixelBytes))
          << c.what;
    }
  }
  EXPECT_FALSE(ParseBitmap(nullptr, 100));
}

}  // namespace
