// Removal against the real file system and registry: files and the folders
// they leave empty, links, the menu folder and the record's key.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "package/InstallRecord.h"
#include "package/SetupInfo.h"
#include "uninstall/Uninstall.h"
#include "win/Registry.h"
#include "win/ShellFolders.h"

namespace {

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Touch(const std::wstring& path) {
  CreateDirectoryChain(path);
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot create the test file";
  ::CloseHandle(h);
}

// A fresh folder in the temporary folder, ending in a backslash.
std::wstring FreshFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder =
      std::wstring(temp) + name + std::to_wstring(::GetCurrentProcessId()) + L"\\";
  ::SHFILEOPSTRUCTW op{};
  std::wstring from = folder.substr(0, folder.size() - 1) + L'\0';
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  ::SHFileOperationW(&op);
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

TEST(DeleteFileAndEmptyParents, RemovesFoldersLeftEmptyInAnyOrder) {
  struct Case {
    const char* what;
    std::vector<std::wstring> files;     // created, then deleted in this order
    std::vector<std::wstring> gone;      // relative paths expected gone
  } cases[] = {
      {"outer file first", {L"A\\f1", L"A\\B\\f2"}, {L"A\\f1", L"A\\B\\f2", L"A\\B", L"A"}},
      {"inner file first", {L"A\\B\\f2", L"A\\f1"}, {L"A\\f1", L"A\\B\\f2", L"A\\B", L"A"}},
      {"trail byte 0x5C in a folder name", {L"表\\紙.bmp"}, {L"表\\紙.bmp", L"表"}},
      {"forward slashes separate too", {L"C/D/f"}, {L"C/D/f", L"C\\D", L"C"}},
      {"a file in the base folder", {L"top.txt"}, {L"top.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring base = FreshFolder(L"uninst");
    for (const std::wstring& f : c.files) Touch(base + f);
    for (const std::wstring& f : c.files) DeleteFileAndEmptyParents(base, f);
    for (const std::wstring& g : c.gone) EXPECT_FALSE(Exists(base + g)) << "left: " << testing::PrintToString(g);
    EXPECT_TRUE(Exists(base)) << "the base folder itself must stay";
  }
}

TEST(DeleteFileAndEmptyParents, KeepsFoldersOfFilesNotDeleted) {
  const std::wstring base = FreshFolder(L"uninstkeep");
  // A missing file touches no folder, even an empty one.
  ::CreateDirectoryW((base + L"A").c_str(), nullptr);
  ::CreateDirectoryW((base + L"A\\B").c_str(), nullptr);
  DeleteFileAndEmptyParents(base, L"A\\B\\missing.dat");
  EXPECT_TRUE(Exists(base + L"A\\B"));

  // A read-only file stays, with every folder above it.
  Touch(base + L"R\\S\\locked.dat");
  ::SetFileAttributesW((base + L"R\\S\\locked.dat").c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteFileAndEmptyParents(base, L"R\\S\\locked.dat");
  EXPECT_TRUE(Exists(base + L"R\\S\\locked.dat"));
  ::SetFileAttributesW((base + L"R\\S\\locked.dat").c_str(), FILE_ATTRIBUTE_NORMAL);

  // A folder that still holds a foreign file stays; the empty one below goes.
  Touch(base + L"G\\saved.dat");
  Touch(base + L"G\\H\\listed.dat");
  DeleteFileAndEmptyParents(base, L"G\\H\\listed.dat");
  EXPECT_FALSE(Exists(base + L"G\\H"));
  EXPECT_TRUE(Exists(base + L"G\\saved.dat"));
}

class UninstallProductTest : public testing::Test {
 protected:
  void SetUp() override {
    ::CoInitialize(nullptr);
    m_info.company = L"削除テスト工房" + std::to_wstring(::GetCurrentProcessId());
    m_info.title = L"星の旅人";
    m_info.menuFolder = m_info.company + L"\\" + m_info.title;
    m_info.exeFile = L"game.exe";
    m_info.files = {{L"game.exe", L"DISC1", 0}, {L"data\\表紙.bmp", L"DISC1", 0},
                    {L"bgm\\テーマ.dat", L"DISC2", 0}};
    m_info.menus = {{L"マニュアル", L"manual.html"}};
    m_folder = FreshFolder(L"uninstprod");
    m_desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
    m_programs = GetSpecialFolderPath(CSIDL_PROGRAMS);
    ASSERT_FALSE(m_desktop.empty());
    ASSERT_FALSE(m_programs.empty());
  }
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + m_info.company).c_str());
  }

  void Install() {
    for (const FileEntry& f : m_info.files) Touch(m_folder + f.name);
    Touch(m_desktop + m_info.title + L".lnk");
    Touch(m_programs + m_info.menuFolder + L"\\" + m_info.title + L".lnk");
    Touch(m_programs + m_info.menuFolder + L"\\マニュアル.lnk");
    ASSERT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(m_info), L"path", m_folder),
              ERROR_SUCCESS);
  }
  bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    ::RegCloseKey(key);
    return true;
  }

  SetupInfo m_info;
  std::wstring m_folder, m_desktop, m_programs;
};

TEST_F(UninstallProductTest, RemovesWhatWasInstalledAndKeepsTheRest) {
  Install();
  Touch(m_folder + L"save\\slot1.sav");  // made by the game after installation
  UninstallProduct(m_info);

  for (const FileEntry& f : m_info.files) EXPECT_FALSE(Exists(m_folder + f.name));
  EXPECT_FALSE(Exists(m_folder + L"data"));
  EXPECT_FALSE(Exists(m_folder + L"bgm"));
  EXPECT_TRUE(Exists(m_folder + L"save\\slot1.sav"));
  EXPECT_TRUE(Exists(m_folder));
  EXPECT_FALSE(Exists(m_desktop + m_info.title + L".lnk"));
  EXPECT_FALSE(Exists(m_programs + m_info.menuFolder));
  EXPECT_FALSE(Exists(m_programs + m_info.company)) << "the emptied parent of the menu folder";
  EXPECT_FALSE(KeyExists(InstallRecordKeyPath(m_info)));
  EXPECT_TRUE(KeyExists(L"SOFTWARE\\" + m_info.company));
}

TEST_F(UninstallProductTest, ForeignFileKeepsTheMenuFolder) {
  Install();
  Touch(m_programs + m_info.menuFolder + L"\\other.lnk");
  UninstallProduct(m_info);
  EXPECT_FALSE(Exists(m_programs + m_info.menuFolder + L"\\マニュアル.lnk"));
  EXPECT_TRUE(Exists(m_programs + m_info.menuFolder + L"\\other.lnk"));
  ::DeleteFileW((m_programs + m_info.menuFolder + L"\\other.lnk").c_str());
  RemoveDirectoryW((m_programs + m_info.menuFolder).c_str());
  RemoveDirectoryW((m_programs + m_info.company).c_str());
}

TEST_F(UninstallProductTest, NeverDeletesRelativeToTheCurrentFolder) {
  // The current folder is the source disc: it holds files of the same names.
  const std::wstring disc = FreshFolder(L"uninstdisc");
  for (const FileEntry& f : m_info.files) Touch(disc + f.name);
  wchar_t previous[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ::SetCurrentDirectoryW(disc.c_str());

  for (const std::wstring& record : {std::wstring(), std::wstring(L"relative\\"),
                                     std::wstring(L"\\")}) {
    SCOPED_TRACE(testing::PrintToString(record));
    ASSERT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(m_info), L"path", record),
              ERROR_SUCCESS);
    UninstallProduct(m_info);
    for (const FileEntry& f : m_info.files) EXPECT_TRUE(Exists(disc + f.name));
    EXPECT_FALSE(KeyExists(InstallRecordKeyPath(m_info)));
  }
  ::SetCurrentDirectoryW(previous);
}

}  // namespace
