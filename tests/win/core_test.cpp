// The core on Windows: both Windows decoders read every code as the native
// build does, the package is held while open, and a BMP member becomes a DIB
// section that draws the member's pixels. The built setup.exe of this tree,
// read as Windows reads it before the program's first line runs: its
// manifest, the DLLs it imports and where their own come from.
#include <gtest/gtest.h>

#include <windows.h>
#include <imagehlp.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <set>

#include "TestSupport.h"
#include "app/Pictures.h"
#include "package/PackageFile.h"
#include "text/Cp932.h"
#include "text/Cp932Backend.h"
#include "win/Files.h"
#include "win/Paths.h"

namespace {

struct Code {
  unsigned short bytes;      // a single byte below 0x100, else lead and trail
  unsigned short character;  // U+FFFD: no character
};
const Code kNativeTable[] = {
#include "Cp932Table.inc"
};

TEST(Cp932, DecodesEveryCodeAsTheNativeBuild) {
  ASSERT_EQ(std::size(kNativeTable), 256u + 60 * 188);
  text::detail::ForgetDecodedCodes();
  std::string allCodes;
  std::wstring allCharacters;
  int failures = 0;
  for (const Code& c : kNativeTable) {
    std::string bytes(1, static_cast<char>(c.bytes));
    unsigned platform = c.character;  // single bytes are decoded without the platform's table
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

TEST(PackageFile, HoldsThePackageExclusivelyUntilClosed) {
  CTestFolder folder;
  const std::filesystem::path path = folder.Path() / L"表";  // not in the ANSI code page
  ASSERT_TRUE(WritePackage(path, {{"setup.bmp", "BM"}}));
  CPackageFile package;
  ASSERT_TRUE(package.OpenPackage(path));
  EXPECT_EQ(package.LoadMember("SETUP.BMP"), std::vector<char>({'B', 'M'}));
  EXPECT_EQ(_wfopen(path.c_str(), L"rb"), nullptr);
  package.Close();
  std::FILE* again = _wfopen(path.c_str(), L"rb");
  EXPECT_NE(again, nullptr);
  if (again) std::fclose(again);
}

TEST(Picture, DrawsThePixelsOfTheMember) {
  // Padded rows, a colour table, top-down rows (height < 0).
  const struct { int width, height, bitCount; } cases[] = {{33, 5, 1}, {10, -3, 8}};
  const HDC dc = ::CreateCompatibleDC(nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bitCount);
    // Colour i is grey level i (1 bit: black and white); the pixel bytes
    // count up by 7, so that neighbours differ.
    const int rows = std::abs(c.height), rowBytes = (c.width * c.bitCount + 31) / 32 * 4;
    const DWORD offset = 14 + sizeof(BITMAPINFOHEADER) + (4 << c.bitCount);
    const BITMAPFILEHEADER file{0x4D42, 0, 0, 0, offset};
    const BITMAPINFOHEADER info{sizeof info, c.width, c.height, 1, static_cast<WORD>(c.bitCount)};
    std::vector<char> member;
    const auto append = [&member](const void* data, std::size_t size) {
      member.insert(member.end(), static_cast<const char*>(data),
                    static_cast<const char*>(data) + size);
    };
    append(&file, 14), append(&info, sizeof info);
    for (int i = 0; i < 1 << c.bitCount; ++i) {
      const auto grey = static_cast<BYTE>(c.bitCount == 1 ? i * 255 : i);
      const RGBQUAD colour{grey, grey, grey, 0};
      append(&colour, 4);
    }
    for (std::size_t i = offset; i < offset + rowBytes * rows; ++i)
      member.push_back(static_cast<char>(i * 7));

    const win::UniqueBitmap picture = CreatePicture(member);
    ASSERT_TRUE(picture);
    const HGDIOBJ old = ::SelectObject(dc, picture.get());
    for (const int y : {0, rows / 2, rows - 1}) {
      for (const int x : {0, c.width / 2, c.width - 1}) {
        const auto* row = reinterpret_cast<const BYTE*>(member.data()) + offset +
                          rowBytes * (c.height < 0 ? y : rows - 1 - y);
        const int grey = c.bitCount == 8 ? row[x] : (row[x / 8] >> (7 - x % 8) & 1) * 255;
        EXPECT_EQ(::GetPixel(dc, x, y), RGB(grey, grey, grey)) << "at " << x << "," << y;
      }
    }
    ::SelectObject(dc, old);
  }
  ::DeleteDC(dc);
}

// The shipped program asks for no rights of its own: what it starts runs as
// its user, and Install and Uninstall ask for rights in a process of their own.
TEST(Program, ManifestAsksForNoRights) {
  const std::wstring program = ModuleFolder() + L"setup.exe";
  const HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(module) << "no " << testing::PrintToString(program);
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_TRUE(found);
  const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
  const std::string manifest(bytes, ::SizeofResource(module, found));
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
  ::FreeLibrary(module);
}

TEST(ProgramImage, ImportsOnlyKnownDllsAndTakesTheirDllsFromTheSystemFolder) {
  // setup.exe beside this test program (both in the tree's bin folder).
  std::vector<char> image =
      ReadWholeFile(ModuleFolder() + L"setup.exe", 1u << 26).value_or(std::vector<char>());
  ASSERT_FALSE(image.empty());
  PIMAGE_NT_HEADERS headers = ::ImageNtHeader(image.data());
  ASSERT_TRUE(headers);

  // In the KnownDLLs list of every Windows from 7 to 11: never looked for
  // beside the program. The common controls, version.dll and the like are not.
  const std::set<std::string> known = {
      "advapi32.dll", "comdlg32.dll", "gdi32.dll",   "imagehlp.dll", "imm32.dll",
      "kernel32.dll", "msctf.dll",    "msvcrt.dll",  "normaliz.dll", "nsi.dll",
      "ole32.dll",    "oleaut32.dll", "psapi.dll",   "setupapi.dll", "shell32.dll",
      "shlwapi.dll",  "user32.dll",   "wldap32.dll", "ws2_32.dll"};
  ULONG size = 0;
  auto* import = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(::ImageDirectoryEntryToDataEx(
      image.data(), FALSE, IMAGE_DIRECTORY_ENTRY_IMPORT, &size, nullptr));
  ASSERT_TRUE(import);
  std::set<std::string> imported;
  for (; import->Name; ++import) {
    std::string name =
        static_cast<const char*>(::ImageRvaToVa(headers, image.data(), import->Name, nullptr));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    imported.insert(name);
  }
  EXPECT_TRUE(imported.count("kernel32.dll"));
  for (const std::string& name : imported) EXPECT_TRUE(known.count(name)) << name;

  // DependentLoadFlags (Reserved1 in these headers), within the size that
  // both the directory and the structure give.
  auto* config = static_cast<const IMAGE_LOAD_CONFIG_DIRECTORY*>(::ImageDirectoryEntryToDataEx(
      image.data(), FALSE, IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG, &size, nullptr));
  ASSERT_TRUE(config);
  EXPECT_EQ(size, config->Size);
  ASSERT_GE(config->Size,
            offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, Reserved1) + sizeof config->Reserved1);
  EXPECT_EQ(config->Reserved1, LOAD_LIBRARY_SEARCH_SYSTEM32);

  // The header's checksum still matches the image that was patched after the link.
  DWORD stored = 0, computed = 0;
  ASSERT_TRUE(
      ::CheckSumMappedFile(image.data(), static_cast<DWORD>(image.size()), &stored, &computed));
  EXPECT_EQ(stored, computed);
}

}  // namespace
