// The built setup.exe of this tree, read as Windows reads it before the
// program's first line runs: the DLLs it imports and where their own come
// from.
#include <gtest/gtest.h>

#include <windows.h>
#include <imagehlp.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// setup.exe beside this test program (both in the tree's bin folder).
std::vector<char> BuiltProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::ifstream file(std::filesystem::path(path, path + length).replace_filename(L"setup.exe"),
                     std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

TEST(ProgramImage, ImportsOnlyKnownDllsAndTakesTheirDllsFromTheSystemFolder) {
  std::vector<char> image = BuiltProgram();
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
