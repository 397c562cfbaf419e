// Folder and shortcut helpers against Wine's real file system and shell.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "win/Handles.h"
#include "wizard/ShellFolders.h"

namespace {

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFile(const std::wstring& path) {
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file) << "cannot create the test file";
}

// Removes a folder tree (clean-up of an earlier run only).
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  win::UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName, path = folder + L"\\" + name;
      if (name == L"." || name == L"..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find.get(), &data));
  }
  find.reset();
  ::RemoveDirectoryW(folder.c_str());
}

int CountEntries(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  win::UniqueFind find(::FindFirstFileW((folder + L"*").c_str(), &data));
  int count = 0;
  if (!find) return 0;
  do ++count; while (::FindNextFileW(find.get(), &data));
  return count;
}

// A fresh, empty folder under the temporary folder, ending in a backslash
// (Wine reuses process ids: a folder of an earlier run is emptied first).
std::wstring FreshFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + name + L"_" + std::to_wstring(::GetCurrentProcessId());
  RemoveTree(folder);
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\";
}

class ComThread : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
  void TearDown() override { ::CoUninitialize(); }
};

}  // namespace

TEST(ParentFolderOf, CutsAtTheLastSeparatorUnlessARootIsLeft) {
  struct Case {
    const wchar_t* path;
    std::optional<std::wstring> parent;
  } const cases[] = {
      {L"C:\\a\\b\\file.txt", L"C:\\a\\b"},
      {L"C:\\a\\b\\", L"C:\\a\\b"},       // a folder path: the folder itself is made
      {L"C:\\file.txt", std::nullopt},    // the root always exists
      {L"C:\\", std::nullopt},
      {L"file.txt", std::nullopt},        // bare name
      {L"\\file.txt", std::nullopt},      // only separator first
      {L"", std::nullopt},
      {L"C:\\表示\\ソフト", L"C:\\表示"},  // 0x5C trail bytes in code page 932
      {L"C:\\a/b/file", L"C:\\a/b"},      // forward slashes separate too
      {L"\\\\server\\share\\x", L"\\\\server\\share"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParentFolderOf(c.path), c.parent) << testing::PrintToString(std::wstring(c.path));
  }
}

TEST(CreateDirectoryChain, CreatesMissingFoldersAboveTheLastComponent) {
  const std::wstring base = FreshFolder(L"chain");
  struct Case {
    std::wstring path;
    std::wstring mustBeFolder;   // empty: nothing to check
    std::wstring mustNotExist;   // empty: nothing to check
  } const cases[] = {
      {base + L"one\\two\\file.txt", base + L"one\\two", base + L"one\\two\\file.txt"},
      {base + L"trail\\sub\\", base + L"trail\\sub", L""},
      {base + L"表示\\ソフト\\ファイル.dat", base + L"表示\\ソフト", base + L"表示\\ソフト\\ファイル.dat"},
      {base + L"mixed/slash/file", base + L"mixed\\slash", base + L"mixed\\slash\\file"},
      {base + L"one\\two\\three\\x", base + L"one\\two\\three", L""},  // partly present
  };
  for (const Case& c : cases) {
    CreateDirectoryChain(c.path);
    if (!c.mustBeFolder.empty()) {
      EXPECT_TRUE(IsFolder(c.mustBeFolder)) << c.mustBeFolder.size();
    }
    if (!c.mustNotExist.empty()) {
      EXPECT_FALSE(Exists(c.mustNotExist)) << c.mustNotExist.size();
    }
  }
  // The upper folder of a two-level chain exists too, and no folder was made
  // out of a lead byte of 表.
  EXPECT_TRUE(IsFolder(base + L"one"));
  EXPECT_TRUE(IsFolder(base + L"表示"));
  EXPECT_EQ(CountEntries(base + L"表示\\"), 3);  // ".", "..", "ソフト"
}

TEST(CreateDirectoryChain, CreatesNothingWithoutAParentOrPastAFile) {
  const std::wstring base = FreshFolder(L"nochain");
  WriteFile(base + L"blocker");
  wchar_t saved[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(::SetCurrentDirectoryW(base.c_str()));

  const int before = CountEntries(base);
  for (const wchar_t* path : {L"bare.txt", L"\\lead.txt", L"C:\\rootfile.txt", L"bare\\"}) {
    CreateDirectoryChain(path);
  }
  // "bare\\" is a folder path relative to the current folder: it is made.
  EXPECT_TRUE(IsFolder(base + L"bare"));
  EXPECT_EQ(CountEntries(base), before + 1);
  EXPECT_FALSE(Exists(L"C:\\rootfile.txt"));

  // A file where a folder should be stops the chain; the file stays a file.
  CreateDirectoryChain(base + L"blocker\\below\\x.txt");
  EXPECT_FALSE(IsFolder(base + L"blocker"));
  EXPECT_TRUE(Exists(base + L"blocker"));
  EXPECT_FALSE(Exists(base + L"blocker\\below"));
  ::SetCurrentDirectoryW(saved);
}

TEST_F(ComThread, SpecialFoldersEndInABackslashOrAreEmpty) {
  struct Case {
    int csidl;
    bool mustExist;
  } const cases[] = {
      {CSIDL_DESKTOP, true},      {CSIDL_PROGRAMS, true}, {CSIDL_PROGRAM_FILES, true},
      {CSIDL_CONTROLS, false},    // virtual: no file-system path
      {0x7E, false},              // no such folder
      {CSIDL_DRIVES, false},      // "My Computer"
  };
  for (const Case& c : cases) {
    const std::wstring path = GetSpecialFolderPath(c.csidl);
    if (c.mustExist) {
      ASSERT_FALSE(path.empty()) << c.csidl;
      EXPECT_TRUE(IsFolder(path)) << c.csidl;
    }
    if (!path.empty()) {
      EXPECT_EQ(path.back(), L'\\') << c.csidl;
    }
    if (!c.mustExist) {
      EXPECT_TRUE(path.empty()) << c.csidl;
    }
  }
}

namespace {

struct LinkContents {
  std::wstring target;
  std::wstring workingFolder;
};

// Loads a link back through the shell, as a user's shell would read it.
std::optional<LinkContents> ReadLink(const std::wstring& linkFile) {
  win::ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void()))) {
    return std::nullopt;
  }
  win::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return std::nullopt;
  if (FAILED(file->Load(linkFile.c_str(), STGM_READ))) return std::nullopt;
  LinkContents contents;
  // The item list keeps a Japanese target intact under every code page.
  PIDLIST_ABSOLUTE raw = nullptr;
  if (FAILED(link->GetIDList(&raw))) return std::nullopt;
  const UniqueItemList items(raw);
  contents.target = PathFromItemList(items.get());
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(link->GetWorkingDirectory(folder, MAX_PATH))) return std::nullopt;
  contents.workingFolder = folder;
  return contents;
}

}  // namespace

TEST_F(ComThread, ShortcutsPointAtTheTargetAndItsFolder) {
  const std::wstring install = FreshFolder(L"星の旅人 インストール");
  ::CreateDirectoryW((install + L"表示").c_str(), nullptr);
  WriteFile(install + L"表示\\game.exe");
  WriteFile(install + L"readme.txt");
  WriteFile(L"C:\\wizard_root_game.exe");

  const std::wstring menu = L"テスト会社 " + std::to_wstring(::GetCurrentProcessId());
  const std::wstring programs = GetSpecialFolderPath(CSIDL_PROGRAMS);
  const std::wstring desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
  ASSERT_FALSE(programs.empty());
  ASSERT_FALSE(desktop.empty());
  ASSERT_FALSE(Exists(programs + menu));  // the menu sub-folder is missing at first

  struct Case {
    int csidl;
    std::wstring linkPath;
    std::wstring linkFile;
    std::wstring target;
    std::wstring workingFolder;
  } const cases[] = {
      {CSIDL_PROGRAMS, menu + L"\\星の旅人.lnk", programs + menu + L"\\星の旅人.lnk",
       install + L"表示\\game.exe", install + L"表示"},
      {CSIDL_PROGRAMS, menu + L"\\お読みください.lnk", programs + menu + L"\\お読みください.lnk",
       install + L"readme.txt", install.substr(0, install.size() - 1)},
      {CSIDL_DESKTOP, menu + L".lnk", desktop + menu + L".lnk", install + L"表示\\game.exe",
       install + L"表示"},
      {CSIDL_DESKTOP, menu + L" root.lnk", desktop + menu + L" root.lnk",
       L"C:\\wizard_root_game.exe", L"C:\\"},  // a root stays a root, not the target
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(CreateShortcut(c.csidl, c.linkPath, c.target)) << c.linkPath.size();
    const std::optional<LinkContents> link = ReadLink(c.linkFile);
    ASSERT_TRUE(link) << "link not readable";
    EXPECT_TRUE(link->target == c.target) << testing::PrintToString(link->target);
    EXPECT_TRUE(link->workingFolder == c.workingFolder)
        << testing::PrintToString(link->workingFolder);
    ::DeleteFileW(c.linkFile.c_str());
  }
  EXPECT_TRUE(IsFolder(programs + menu));
  ::RemoveDirectoryW((programs + menu).c_str());
  ::DeleteFileW(L"C:\\wizard_root_game.exe");
}

TEST_F(ComThread, NoLinkWithoutItsSpecialFolder) {
  // Never relative to the current folder, which is the source disc.
  const std::wstring cwd = FreshFolder(L"disc");
  wchar_t saved[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(::SetCurrentDirectoryW(cwd.c_str()));
  EXPECT_FALSE(CreateShortcut(CSIDL_DRIVES, L"menu\\game.lnk", L"C:\\game.exe"));
  EXPECT_EQ(CountEntries(cwd), 2);  // "." and ".." only
  ::SetCurrentDirectoryW(saved);
}
