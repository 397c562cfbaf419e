// Removal against the real file system: files and the folders they leave
// empty, and never a file relative to the current folder (the source disc).
#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "package/InstallRecord.h"
#include "package/SetupInfo.h"
#include "uninstall/Uninstall.h"
#include "win/Registry.h"
#include "win/ShellFolders.h"

namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& path) {
  fs::create_directories(path.parent_path());
  ASSERT_TRUE(WriteBytes(path, "x"));
}

TEST(Uninstall, DeletesFilesAndTheFoldersTheyLeaveEmpty) {
  struct Case {
    const char* what;
    std::vector<std::wstring> files;  // created, then deleted in this order
    std::vector<std::wstring> gone, kept;
  } cases[] = {
      {"inner file first", {L"A\\B\\f2", L"A\\f1"}, {L"A"}, {}},
      {"trail byte 0x5C in a folder name", {L"表\\紙.bmp"}, {L"表"}, {}},
      {"forward slashes separate too", {L"C/D/f"}, {L"C"}, {}},
      {"a missing file touches no folder", {}, {}, {L"M\\N"}},
      {"a folder with a foreign file stays", {L"G\\H\\listed.dat"}, {L"G\\H"}, {L"G\\saved.dat"}},
      {"a read-only file goes with its folders", {L"R\\S\\locked.dat"}, {L"R"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Beside each case's files: an empty folder M\N whose listed file is
    // missing, and a foreign file in G.
    CTestFolder folder;
    const std::wstring base = folder.Path().wstring() + L"\\";
    for (const std::wstring& f : c.files) Touch(base + f);
    fs::create_directories(base + L"M\\N");
    Touch(base + L"G\\saved.dat");
    ::SetFileAttributesW((base + L"R\\S\\locked.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    for (const std::wstring& f : c.files) DeleteFileAndEmptyParents(base, f);
    DeleteFileAndEmptyParents(base, L"M\\N\\missing.dat");
    for (const std::wstring& g : c.gone)
      EXPECT_FALSE(fs::exists(base + g)) << testing::PrintToString(g);
    for (const std::wstring& k : c.kept)
      EXPECT_TRUE(fs::exists(base + k)) << testing::PrintToString(k);
    EXPECT_TRUE(fs::exists(base));
    ::SetFileAttributesW((base + L"R\\S\\locked.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST(Uninstall, NeverDeletesRelativeToTheCurrentFolder) {
  SetupInfo info;
  info.company = L"削除テスト工房" + std::to_wstring(::GetCurrentProcessId());
  info.title = L"星の旅人";
  info.menuFolder = info.company + L"\\" + info.title;
  info.files = {{L"game.exe", L"DISC1", 0}, {L"data\\表紙.bmp", L"DISC1", 0}};
  CTestFolder disc;  // holds files of the same names
  for (const FileEntry& f : info.files) Touch(disc.Path() / f.name);
  const fs::path previous = fs::current_path();
  fs::current_path(disc.Path());
  for (const std::wstring record : {L"", L"relative\\", L"\\"}) {
    SCOPED_TRACE(testing::PrintToString(record));
    ASSERT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), L"path", record),
              ERROR_SUCCESS);
    (void)UninstallProduct(info);  // what stays is checked below
    for (const FileEntry& f : info.files) EXPECT_TRUE(fs::exists(disc.Path() / f.name));
  }
  fs::current_path(previous);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + info.company).c_str());
}

}  // namespace
