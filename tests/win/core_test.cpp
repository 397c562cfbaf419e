// The portable core on Windows: both Windows decoders read every code as the
// native build does, and packages open from Japanese-named folders whatever
// the ANSI code page is.
#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "package/PackageFile.h"
#include "text/Cp932.h"
#include "text/Cp932Backend.h"

namespace {

struct Code {
  unsigned short bytes;      // a single byte below 0x100, else lead and trail
  unsigned short character;  // U+FFFD: no character
};
const Code kNativeTable[] = {
#include "Cp932Table.inc"
};

TEST(CoreOnWindows, DecodesEveryCodeAsTheNativeBuild) {
  ASSERT_EQ(std::size(kNativeTable), 256u + 60 * 188);
  text::detail::ForgetDecodedCodes();
  std::string allCodes;
  std::wstring allCharacters;
  int failures = 0;
  for (const Code& c : kNativeTable) {
    std::string bytes(1, static_cast<char>(c.bytes));
    // Single bytes are decoded without the platform's table.
    unsigned platform = c.character;
    if (c.bytes > 0xFF) {
      bytes.insert(bytes.begin(), static_cast<char>(c.bytes >> 8));
      wchar_t wide[2];
      platform = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), 2, wide, 2) == 1
                     ? wide[0]
                     : 0xFFFD;
      allCodes += bytes;
      allCharacters += static_cast<wchar_t>(c.character);
    }
    const std::wstring decoded = text::DecodeCp932(bytes);
    if (decoded != std::wstring(1, static_cast<wchar_t>(c.character)) || platform != c.character) {
      ADD_FAILURE() << std::hex << "code " << c.bytes << ": native " << c.character
                    << ", DecodeCp932 " << (decoded.empty() ? 0u : decoded[0])
                    << ", MultiByteToWideChar " << platform;
      if (++failures == 20) return;
    }
  }
  // All at once: long runs that the platform refuses in part.
  text::detail::ForgetDecodedCodes();
  EXPECT_TRUE(text::DecodeCp932(allCodes) == allCharacters);
}

TEST(CoreOnWindows, OpensPackagesInJapaneseFolders) {
  CTestFolder test;
  // 表 ends in the byte 0x5C: a narrow path would cut the folder name there.
  const std::filesystem::path folder = test.Path() / L"表示テスト" / L"表\\ソフト";
  ASSERT_TRUE(std::filesystem::create_directories(folder));
  for (const wchar_t* name : {L"setup", L"セットアップ", L"表示"}) {
    const std::filesystem::path path = folder / name;
    ASSERT_TRUE(WritePackage(path, {{"setup.bmp", "BM"}, {"\x95\x5C", "x"}}));
    CPackageFile package;
    ASSERT_TRUE(package.OpenPackage(path)) << testing::PrintToString(path.wstring());
    EXPECT_EQ(package.LoadMember("SETUP.BMP"), std::vector<char>({'B', 'M'}));
    EXPECT_TRUE(package.LoadMember("\x95\x5C"));

    // The reader holds the package exclusively until it is closed.
    EXPECT_EQ(_wfopen(path.c_str(), L"rb"), nullptr);
    package.Close();
    std::FILE* again = _wfopen(path.c_str(), L"rb");
    EXPECT_NE(again, nullptr);
    if (again) std::fclose(again);
  }
}

}  // namespace
