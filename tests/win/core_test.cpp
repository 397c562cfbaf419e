// The portable core on Windows: the Win32 code-page table must decode
// exactly as the native build does, and packages must open from folders and
// files with Japanese names whatever the ANSI code page is.
#include <gtest/gtest.h>

#include <string>

#include "../unit/Cp932Expected.inc"
#include "../unit/TestPackage.h"
#include "package/PackageFile.h"
#include "package/SetupInfo.h"
#include "text/Cp932.h"
#include "text/Cp932Backend.h"

namespace {

using testing_support::BuildPackage;
using testing_support::Cp932;
using testing_support::CTempDir;
using testing_support::WriteBytes;

TEST(CoreOnWindows, DecodesEveryCodeAsTheNativeBuild) {
  text::detail::ForgetDecodedCodes();
  int mismatches = 0;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::wstring wide = text::DecodeCp932(std::string(1, static_cast<char>(byte)));
    ASSERT_EQ(wide.size(), 1u) << std::hex << byte;
    if (static_cast<unsigned>(wide[0]) != kCp932Single[byte]) {
      ADD_FAILURE() << std::hex << byte << ": " << static_cast<unsigned>(wide[0]);
      ++mismatches;
    }
  }
  int row = 0;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!text::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::wstring wide = text::DecodeCp932(std::string_view(bytes, 2));
      ASSERT_EQ(wide.size(), 1u) << std::hex << lead << trail;
      if (static_cast<unsigned>(wide[0]) != kCp932Double[row][trail - 0x40]) {
        ADD_FAILURE() << std::hex << lead << trail << ": " << static_cast<unsigned>(wide[0]) << " expected "
                      << kCp932Double[row][trail - 0x40];
        if (++mismatches > 50) return;
      }
    }
    ++row;
  }
  EXPECT_EQ(row, 60);

  // The same codes as whole rows, so MultiByteToWideChar also meets runs it
  // refuses in part.
  text::detail::ForgetDecodedCodes();
  row = 0;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!text::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    std::string bytes;
    std::wstring expected;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      bytes += static_cast<char>(lead);
      bytes += static_cast<char>(trail);
      expected += static_cast<wchar_t>(kCp932Double[row][trail - 0x40]);
    }
    EXPECT_EQ(text::DecodeCp932(bytes), expected) << std::hex << lead;
    ++row;
  }
}

TEST(CoreOnWindows, OpensPackagesInJapaneseFolders) {
  CTempDir dir(L"表示テスト_");
  ASSERT_FALSE(dir.Path().empty());
  // 表 ends in the byte 0x5C: a narrow path would cut the folder name there.
  const std::filesystem::path folder = dir.Path() / L"表\\ソフト";
  ASSERT_TRUE(std::filesystem::create_directories(folder));
  struct Case {
    const wchar_t* fileName;
  } cases[] = {{L"setup"}, {L"セットアップ"}, {L"表示"}};
  for (const Case& c : cases) {
    const std::filesystem::path path = folder / c.fileName;
    ASSERT_TRUE(WriteBytes(path, BuildPackage({{"setup.bmp", "BM"}, {"\x95\x5C", "x"}})));
    CPackageFile package;
    ASSERT_TRUE(package.OpenPackage(path)) << testing::PrintToString(path.wstring());
    const std::optional<std::vector<char>> member = package.LoadMember("SETUP.BMP");
    ASSERT_TRUE(member);
    EXPECT_EQ(std::string(member->begin(), member->end()), "BM");
    EXPECT_TRUE(package.LoadMember("\x95\x5C"));

    // The reader holds the package exclusively until it is closed.
    EXPECT_EQ(_wfopen(path.c_str(), L"rb"), nullptr);
    package.Close();
    std::FILE* again = _wfopen(path.c_str(), L"rb");
    EXPECT_NE(again, nullptr);
    if (again) std::fclose(again);
  }
}

TEST(CoreOnWindows, LoadsSettingsRoundTrip) {
  CTempDir dir(L"表示テスト_");
  const std::filesystem::path path = dir.Path() / L"setup";
  const std::string csv = Cp932(
      L"項目,パラメータ,ディスク\r\n"
      L"タイトル,表示ゲーム\r\n"
      L"社名,ソフト工房\r\n"
      L"実行ファイル,ゲーム.exe\r\n"
      L"ファイル,データ\\表.dat,ディスク1\r\n"
      L"ファイル,ゲーム.exe,ディスク2\r\n"
      L"メニュー,説明書,説明.txt\r\n");
  ASSERT_TRUE(WriteBytes(
      path, BuildPackage({{"setting.csv", csv}, {"filesize", std::string("\x10\x00\x00\x00\x20", 5)}})));
  CPackageFile package;
  ASSERT_TRUE(package.OpenPackage(path));
  SetupInfo info;
  ASSERT_TRUE(LoadSettings(package, info));
  ASSERT_TRUE(LoadFileSizes(package, info));
  EXPECT_EQ(info.title, L"表示ゲーム");
  EXPECT_EQ(info.company, L"ソフト工房");
  EXPECT_EQ(info.exeFile, L"ゲーム.exe");
  EXPECT_EQ(info.menuFolder, L"表示ゲーム");
  ASSERT_EQ(info.files.size(), 2u);
  EXPECT_EQ(info.files[0].name, L"データ\\表.dat");
  EXPECT_EQ(info.files[0].disc, L"ディスク1");
  EXPECT_EQ(info.files[0].size, 0x10u);
  EXPECT_EQ(info.files[1].size, 0x20u);
  EXPECT_FALSE(info.singleDisc);
  ASSERT_EQ(info.menus.size(), 1u);
  EXPECT_EQ(info.menus[0].caption, L"説明書");
  EXPECT_EQ(info.menus[0].target, L"説明.txt");
}

}  // namespace
