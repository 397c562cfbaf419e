// Folder chains and shortcuts against Wine's real file system and shell;
// links are read back through IShellLinkW, as a user's shell reads them.
#include <gtest/gtest.h>

#include <windows.h>
#include <shobjidl.h>

#include "TestSupport.h"
#include "win/Handles.h"
#include "win/ShellFolders.h"

namespace {

namespace fs = std::filesystem;

TEST(ShellFolders, CreateDirectoryChainMakesTheFoldersAboveTheLastName) {
  CTestFolder folder;
  const std::wstring base = folder.Path().wstring() + L"\\";
  ASSERT_TRUE(WriteBytes(base + L"blocker", "x"));
  struct Case {
    std::wstring path, folder, notThere;  // made, and not made
  } const cases[] = {
      {L"one\\two\\file.txt", L"one\\two", L"one\\two\\file.txt"},
      {L"one\\two\\three\\x", L"one\\two\\three", L"one\\two\\three\\x"},  // partly present
      {L"trail\\sub\\", L"trail\\sub", L"trail\\sub\\x"},
      {L"表示\\ソフト\\ファイル.dat", L"表示\\ソフト", L"表示\\ソフト\\ファイル.dat"},
      {L"mixed/slash/file", L"mixed\\slash", L"mixed\\slash\\file"},
      {L"blocker\\below\\x.txt", L"", L"blocker\\below"},  // a file stops the chain
  };
  for (const Case& c : cases) {
    CreateDirectoryChain(base + c.path);
    if (!c.folder.empty()) {
      EXPECT_TRUE(fs::is_directory(base + c.folder)) << testing::PrintToString(c.folder);
    }
    EXPECT_FALSE(fs::exists(base + c.notThere)) << testing::PrintToString(c.notThere);
  }
  // No folder was made of a lead byte of 表 cut off before its 0x5C.
  EXPECT_EQ(std::distance(fs::directory_iterator(base + L"表示"), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::is_regular_file(base + L"blocker"));
}

struct Link {
  std::wstring target, workingFolder;
};

Link ReadLink(const std::wstring& linkFile) {
  win::ComPtr<IShellLinkW> link;
  win::ComPtr<IPersistFile> file;
  PIDLIST_ABSOLUTE items = nullptr;
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
      FAILED(file->Load(linkFile.c_str(), STGM_READ)) || FAILED(link->GetIDList(&items)) ||
      FAILED(link->GetWorkingDirectory(folder, MAX_PATH))) {
    return {L"(unreadable)", L""};
  }
  // The item list keeps a Japanese target intact under every code page.
  return {PathFromItemList(UniqueItemList(items).get()), folder};
}

TEST(ShellFolders, ShortcutsPointAtTheTargetAndItsFolder) {
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  CTestFolder folder;
  const std::wstring install = folder.Path().wstring() + L"\\星の旅人 インストール\\";
  ASSERT_TRUE(fs::create_directories(install + L"表示"));
  const std::wstring menu = L"テスト会社 " + std::to_wstring(::GetCurrentProcessId());
  const std::wstring programs = GetSpecialFolderPath(CSIDL_PROGRAMS),
                     desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
  ASSERT_FALSE(programs.empty() || desktop.empty() || fs::exists(programs + menu));
  struct Case {
    int csidl;
    std::wstring linkPath, linkFile, target, workingFolder;
  } const cases[] = {
      // The menu sub-folder is made first.
      {CSIDL_PROGRAMS, menu + L"\\星の旅人.lnk", programs + menu + L"\\星の旅人.lnk",
       install + L"表示\\game.exe", install + L"表示"},
      {CSIDL_DESKTOP, menu + L".lnk", desktop + menu + L".lnk", install + L"readme.txt",
       install.substr(0, install.size() - 1)},
      {CSIDL_DESKTOP, menu + L" root.lnk", desktop + menu + L" root.lnk", L"C:\\" + menu + L".exe",
       L"C:\\"},  // a root stays a root
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteBytes(c.target, "x"));
    EXPECT_TRUE(CreateShortcut(c.csidl, c.linkPath, c.target));
    const Link link = ReadLink(c.linkFile);
    EXPECT_TRUE(link.target == c.target) << testing::PrintToString(link.target);
    EXPECT_TRUE(link.workingFolder == c.workingFolder)
        << testing::PrintToString(link.workingFolder);
    fs::remove(c.linkFile);
  }
  fs::remove(programs + menu);
  fs::remove(L"C:\\" + menu + L".exe");

  // Without its special folder no link is made, least of all in the current
  // folder, which is the source disc.
  const fs::path previous = fs::current_path();
  fs::current_path(folder.Path());
  EXPECT_FALSE(CreateShortcut(CSIDL_DRIVES, L"menu\\game.lnk", L"C:\\game.exe"));
  EXPECT_FALSE(fs::exists(folder.Path() / L"menu"));
  fs::current_path(previous);
}

}  // namespace
