// The registry, folder chains, shortcuts and removal against Wine's real
// registry, file system and shell, in the cases the wizard cannot be driven
// into.
#include <gtest/gtest.h>

#include <windows.h>
#include <shobjidl.h>

#include <functional>
#include <optional>

#include "NotingHost.h"
#include "TestSupport.h"
#include "install/InstallNames.h"
#include "install/InstallRun.h"
#include "install/InstallPlan.h"
#include "install/Record.h"
#include "install/Removal.h"
#include "install/Shortcuts.h"
#include "install/RunCopy.h"
#include "install/UninstallCopy.h"
#include "install/UninstallEntry.h"
#include "install/Verify.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"
#include "win/Handles.h"
#include "win/Registry.h"
#include "win/Files.h"
#include "win/Paths.h"
#include "win/Shell.h"

namespace {

namespace fs = std::filesystem;
const std::wstring kPid = std::to_wstring(::GetCurrentProcessId());

// Raw value data, as another program may have left it.
std::string Raw(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
std::string Sz(const std::wstring& text) { return Raw(text + L'\0'); }

TEST(Registry, ReadsAStoredStringWholeAtAnyLengthAndNeverWritesTheRoot) {
  const std::wstring root = L"SOFTWARE\\SetupRegistryTest" + kPid, none = L"<default>",
                     path(259, L'x');  // a whole path's length; a record may be longer
  const struct {
    DWORD type;  // REG_NONE: nothing stored
    std::string data;
    std::wstring expected;
  } cases[] = {
      {REG_NONE, "", none},
      {REG_SZ, Sz(L""), L""},
      {REG_EXPAND_SZ, Sz(L"%ProgramFiles%\\Sample\\"), none},
      {REG_MULTI_SZ, Sz(L"C:\\Games\\") + Sz(L""), none},
      {REG_DWORD, std::string("\x2A\0\0\0", 4), none},
      {REG_SZ, Sz(path + path), path + path},
      {REG_SZ, Raw(path), path},  // no terminating zero
      {REG_SZ, Sz(std::wstring(L"C:\\A\\\0junk", 10)), L"C:\\A\\"},
      {REG_SZ, std::string("A\0B", 3), L"A"},  // half a character
  };
  for (const auto& c : cases) {
    const std::wstring key = root + L"\\" + std::to_wstring(&c - cases);
    win::UniqueKey handle;
    if (c.type != REG_NONE) {
      ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, handle.put(), nullptr),
                ERROR_SUCCESS);
      ASSERT_EQ(::RegSetValueExW(handle.get(), L"path", 0, c.type,
                                 reinterpret_cast<const BYTE*>(c.data.data()),
                                 static_cast<DWORD>(c.data.size())),
                ERROR_SUCCESS);
    }
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", none), c.expected) << &c - cases;
  }
  // A record is never written into the root key itself.
  EXPECT_NE(WriteRegString(HKEY_LOCAL_MACHINE, L"", (L"SetupTest" + kPid).c_str(), L"C:\\X\\"),
            ERROR_SUCCESS);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, root.c_str());
}

TEST(ShellFolders, ChainsAndShortcutsInTheirOddCases) {
  CTestFolder folder;
  const std::wstring base = folder.Path().wstring() + L"\\";
  ASSERT_TRUE(WriteBytes(base + L"blocker", "x"));
  const struct {
    std::wstring path, made, notMade;
  } cases[] = {
      {L"trail\\sub\\", L"trail\\sub", L"trail\\sub\\x"},
      {L"表示\\ソフト\\ファイル.dat", L"表示\\ソフト", L"表示\\ソフト\\ファイル.dat"},
      {L"mixed/slash/file", L"mixed\\slash", L"mixed\\slash\\file"},
      {L"blocker\\below\\x.txt", L"blocker", L"blocker\\below"},  // a file stops the chain
  };
  for (const auto& c : cases) {
    CreateDirectoryChain(base + c.path);
    EXPECT_TRUE(fs::exists(base + c.made)) << testing::PrintToString(c.made);
    EXPECT_FALSE(fs::exists(base + c.notMade)) << testing::PrintToString(c.notMade);
  }
  // No folder was made of a lead byte of 表 or ソ cut off before its 0x5C.
  EXPECT_EQ(std::distance(fs::directory_iterator(base), fs::directory_iterator()), 4);
  EXPECT_EQ(std::distance(fs::directory_iterator(base + L"表示"), fs::directory_iterator()), 1);

  // Paths of MAX_PATH or more are made plain, and take the "\\?\" form when
  // they stay that long.
  const std::wstring n(250, L'n');
  const std::pair<std::wstring, std::wstring> extended[] = {
      {L"C:\\x\\..\\" + n, L"C:\\x\\..\\" + n},  // shorter: as it is
      {L"C:\\x\\" + n + L"\\..\\" + n, L"C:\\x\\" + n},
      {L"C:\\x/" + n + L"\\" + n + L". ", L"\\\\?\\C:\\x\\" + n + L"\\" + n},
      {L"\\\\server\\share\\" + n, L"\\\\?\\UNC\\server\\share\\" + n},
      {L"\\\\?\\C:\\" + n + L"\\" + n, L"\\\\?\\C:\\" + n + L"\\" + n},
  };
  for (const auto& [path, form] : extended)
    EXPECT_EQ(ExtendedPath(path), form) << &path - &extended[0].first;

  // A target directly in a root keeps the root as working folder, not "C:".
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  const std::wstring name = L"setup_test_" + kPid, target = L"C:\\" + name + L".exe",
                     link = GetSpecialFolderPath(CSIDL_DESKTOP) + name + L".lnk";
  ASSERT_TRUE(WriteBytes(target, "x"));
  EXPECT_TRUE(CreateShortcut(CSIDL_DESKTOP, name + L".lnk", target));
  win::ComPtr<IShellLinkW> shell;
  win::ComPtr<IPersistFile> file;
  wchar_t working[MAX_PATH] = {};
  EXPECT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, shell.put_void())) &&
              SUCCEEDED(shell->QueryInterface(IID_IPersistFile, file.put_void())) &&
              SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
              SUCCEEDED(shell->GetWorkingDirectory(working, MAX_PATH)));
  EXPECT_STREQ(working, L"C:\\");
  fs::remove(link), fs::remove(target);

  // Without its special folder no link is made, least of all in the current
  // folder, which is the source disc.
  const fs::path previous = fs::current_path();
  fs::current_path(folder.Path());
  EXPECT_FALSE(CreateShortcut(CSIDL_DRIVES, L"menu\\game.lnk", L"C:\\game.exe"));
  EXPECT_FALSE(fs::exists(folder.Path() / L"menu"));
  fs::current_path(previous);
}

TEST(Repair, TheCheckNamesMissingResizedAndChangedFilesOnly) {
  CTestFolder folder;
  const std::wstring base = folder.Path().wstring() + L"\\";
  // Past one read chunk, so that a change in its last byte is in a later read.
  const std::string large(600 * 1024, 'z');
  struct Case {
    std::wstring name;
    std::string shipped, installed;  // installed "-": missing
    bool hashed, damaged;
  };
  const std::vector<Case> cases{
      {L"same.dat", "abc", "abc", true, false},      {L"sub\\gone.dat", "abc", "-", true, true},
      {L"short.dat", "abcdef", "abc", true, true},   {L"flip.dat", "abc", "abd", true, true},
      {L"large.dat", large, large.substr(1) + "y", true, true},
      {L"unhashed.dat", "abc", "abd", false, false},  // presence and size only
      {L"empty.dat", "", "", true, false}};
  SetupInfo info;
  std::vector<std::wstring> expected;
  for (const Case& c : cases) {
    FileEntry file{c.name, L"DISC1", static_cast<std::uint32_t>(c.shipped.size()), {}};
    if (c.hashed) {
      CContentHasher hasher;
      hasher.Update(c.shipped.data(), c.shipped.size());
      file.hash = hasher.Digest();
    }
    info.files.push_back(file);
    if (c.installed != "-") {
      CreateDirectoryChain(base + c.name);
      ASSERT_TRUE(WriteBytes(base + c.name, c.installed));
    }
    if (c.damaged) expected.push_back(c.name);
  }
  std::uint64_t lastChecked = 0, lastTotal = 0;
  std::vector<std::wstring> damaged;
  for (const FileEntry& file : DamagedFiles(info, base, [&](std::uint64_t checked, std::uint64_t total) {
         EXPECT_GE(checked, lastChecked);
         lastChecked = checked, lastTotal = total;
       }))
    damaged.push_back(file.name);
  EXPECT_EQ(damaged, expected);
  EXPECT_EQ(lastTotal, BytesToInstall(info));
  EXPECT_EQ(lastChecked, lastTotal);  // the bar ends full
}

TEST(Uninstall, DeletesListedFilesAndTheFoldersTheyEmptyButNeverRelatively) {
  CTestFolder folder;
  const std::wstring base = folder.Path().wstring() + L"\\";
  // Listed in this order; M\N's file is missing, R\S's is read-only and goes;
  // L's path passes MAX_PATH, so it is made through the "\\?\" form.
  const std::wstring longFolder(150, L'L'), longName = longFolder + L"\\" + std::wstring(150, L'n');
  const std::vector<std::wstring> listed{L"A\\B\\f2",     L"A\\f1", L"表\\紙.bmp",   L"C/D/f",
                                         L"R\\S\\locked", longName, L"M\\N\\missing"};
  for (const std::wstring& f : listed) {
    const std::wstring path = (f == longName ? L"\\\\?\\" : L"") + base + f;
    CreateDirectoryChain(path);
    if (f != listed.back()) {
      ASSERT_TRUE(WriteBytes(path, "x"));
    }
  }
  ::SetFileAttributesW((base + L"R\\S\\locked").c_str(), FILE_ATTRIBUTE_READONLY);
  for (const std::wstring& f : listed)
    EXPECT_TRUE(DeleteFileAndEmptyParents(base, f)) << testing::PrintToString(f);
  for (const wchar_t* gone : {L"A", L"表", L"C", L"R"})
    EXPECT_FALSE(fs::exists(base + gone)) << gone;
  EXPECT_FALSE(fs::exists(base + longFolder));
  EXPECT_TRUE(fs::exists(base + L"M\\N"));

  // A record that names no full folder deletes nothing relative to the
  // current folder, the source disc, which holds files of the listed names.
  SetupInfo info;
  info.company = L"削除テスト工房" + kPid;
  info.title = L"星の旅人";
  info.menuFolder = info.company + L"\\" + info.title;
  info.files = {{L"game.exe", L"DISC1", 0}, {L"data\\表紙.bmp", L"DISC1", 0}};
  CreateDirectoryChain(base + L"data\\x");
  for (const FileEntry& f : info.files) ASSERT_TRUE(WriteBytes(base + f.name, "x"));
  const fs::path previous = fs::current_path();
  fs::current_path(folder.Path());
  for (const wchar_t* record : {L"", L"relative\\", L"\\"}) {
    ASSERT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), L"path", record),
              ERROR_SUCCESS);
    (void)UninstallProduct(info, ReadInstallRecord(info).folder);  // what stays is checked below
    for (const FileEntry& f : info.files) EXPECT_TRUE(fs::exists(base + f.name)) << record;
  }
  fs::current_path(previous);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + info.company).c_str());

  // Where the links lie, for making and removing them and for the
  // end-to-end scenarios: the desktop, then the menu folder, the game first.
  info.exeFile = L"game.exe";
  info.menus = {{L"説明書", L"doc\\readme.txt"}};
  std::wstring links;
  for (const ProductLink& l : ProductLinks(info, L"C:\\G\\"))
    links += std::to_wstring(l.csidl) + L" " + l.link + L" " + l.target + L"\n";
  // For all users: the installation is the machine's.
  const std::wstring menu = std::to_wstring(CSIDL_COMMON_PROGRAMS) + L" " + info.menuFolder + L"\\";
  EXPECT_EQ(links, std::to_wstring(CSIDL_COMMON_DESKTOPDIRECTORY) + L" 星の旅人.lnk C:\\G\\game.exe\n" + menu +
                       L"星の旅人.lnk C:\\G\\game.exe\n" + menu +
                       L"説明書.lnk C:\\G\\doc\\readme.txt\n");
}

TEST(UninstallEntry, TwinsGetKeysOfTheirOwnAndOnlyAnEntryTheRecordNamesStays) {
  CTestFolder folder;
  SetupInfo first, second;  // "甲<pid> 乙" + "丙" and "甲<pid>" + "乙 丙"
  first.company = L"甲" + kPid + L" 乙", first.title = L"丙";
  second.company = L"甲" + kPid, second.title = L"乙 丙";
  for (SetupInfo* info : {&first, &second}) {
    info->menuFolder = info->company + L"\\" + info->title;
    const std::string settings =
        Cp932(L"項目,パラメータ\r\nタイトル," + info->title + L"\r\n社名," + info->company + L"\r\n");
    info->packageBytes = BuildPackage({{"setting.csv", {settings.begin(), settings.end()}}}).value();
  }
  const auto install = [&](const SetupInfo& info, std::function<void()> beforeEntry = {},
                           bool completes = true) {
    // Nothing to copy: the record, the links, the uninstall copy and the
    // entry, from Q:\.
    CNotingHost host;
    host.m_beforeEntry = std::move(beforeEntry);
    const std::wstring dir = folder.Path().wstring() + (&info == &first ? L"\\A\\" : L"\\B\\");
    EXPECT_EQ(
        RunInstall(InstallPlanFor(info, *PlainInstallFolder(dir), InstallSources(L"Q:\\", false)),
                   host),
        completes);
    return host.m_strNotes;
  };
  const auto exists = [](const std::wstring& keyPath) {
    win::UniqueKey key;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) ==
           ERROR_SUCCESS;
  };
  const std::wstring name = UninstallEntryKeyName(first), key = UninstallEntryKeyPath(name),
                     written = L"Apps & features entry HKEY_LOCAL_MACHINE\\";
  // Before too: Wine gives the next run the same process id, and a failed
  // run's keys would meet it.
  const auto clean = [&] {
    for (const std::wstring& company : {first.company, second.company})
      ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + company).c_str());
    for (const std::wstring& entry : {key, key + L" (2)", key + L" (3)"})
      ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, entry.c_str());
  };
  clean();
  EXPECT_NE(install(first).find(written + key + L"\n"), std::wstring::npos);
  EXPECT_NE(install(second).find(written + key + L" (2)\n"), std::wstring::npos);
  // Installed again: the same key.
  EXPECT_NE(install(second).find(written + key + L" (2)\n"), std::wstring::npos);
  EXPECT_EQ(RecordedEntryKeyName(second), name + L" (2)");
  EXPECT_EQ(RecordedInstallSource(second), L"Q:\\");

  // An older version recorded no key name and wrote the second's maker over
  // the first's entry: under the first's name, it is not the first's.
  ASSERT_EQ(
      ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(first).c_str(), kEntryKeyValue),
      ERROR_SUCCESS);
  ASSERT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, key, L"Publisher", second.company), ERROR_SUCCESS);
  EXPECT_EQ(RecordedInstallSource(first), L"");
  EXPECT_EQ(CUninstallEntry::ToWrite(first).value().KeyName(), name + L" (3)");
  EXPECT_TRUE(UninstallProduct(first, ReadInstallRecord(first).folder).Complete());
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"Publisher", L""), second.company);
  EXPECT_TRUE(UninstallProduct(second, ReadInstallRecord(second).folder).Complete());
  EXPECT_FALSE(exists(key + L" (2)"));

  // The record cannot name the entry (its maker's key turned volatile, which
  // takes no lasting key below it): the entry just written goes again, and
  // the record cannot say "installed" either.
  const std::wstring maker = L"SOFTWARE\\" + first.company;
  const std::wstring notes = install(
      first,
      [&] {
        win::UniqueKey volatileKey;
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, maker.c_str());
        ASSERT_EQ(
            ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, maker.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, volatileKey.put(), nullptr),
            ERROR_SUCCESS);
      },
      false);
  EXPECT_NE(notes.find(L"warning: the Apps & features entry could not be written\n"),
            std::wstring::npos);
  EXPECT_FALSE(exists(key + L" (2)"));
  RemoveProductLinks(first);
  clean();
}

TEST(UninstallCopy, ARunningCopyWithoutATemporaryFolderGoesAtTheRestart) {
  CTestFolder folder;
  const std::wstring base = folder.Path().wstring() + L"\\";
  const std::wstring program = base + kUninstallProgram;
  SetupInfo info;
  info.company = L"工房" + kPid, info.title = L"星";
  CreateDirectoryChain(program);
  ASSERT_TRUE(WritePackage(
      base + kUninstallPackage,
      {{"setting.csv", Cp932(L"項目,パラメータ\r\nタイトル,星\r\n社名,工房" + kPid + L"\r\n")}}));
  ASSERT_TRUE(WriteBytes(program, "the running copy"));
  // Running: neither deleted nor renamed. The temporary folder lies below a file.
  const win::UniqueFile running(::CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(running);
  wchar_t tmp[MAX_PATH] = {}, temp[MAX_PATH] = {};
  ::GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH),
      ::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
  const std::wstring noFolder = base + kUninstallPackage + L"\\temp";
  ::SetEnvironmentVariableW(L"TMP", noFolder.c_str()),
      ::SetEnvironmentVariableW(L"TEMP", noFolder.c_str());

  const std::optional<std::wstring> left =
      RemoveUninstallCopy(info, base, [](const std::wstring&) {});
  ::SetEnvironmentVariableW(L"TMP", tmp), ::SetEnvironmentVariableW(L"TEMP", temp);
  EXPECT_EQ(left, std::nullopt);
  EXPECT_FALSE(fs::exists(base + kUninstallPackage));
  // The program, then its folder, are deleted at the restart.
  const wchar_t* const sessionKey = L"System\\CurrentControlSet\\Control\\Session Manager";
  std::wstring pending(4096, L'\0');
  DWORD bytes = static_cast<DWORD>(pending.size() * sizeof(wchar_t));
  ASSERT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, sessionKey, L"PendingFileRenameOperations",
                           RRF_RT_REG_MULTI_SZ, nullptr, pending.data(), &bytes),
            ERROR_SUCCESS);
  pending.resize(bytes / sizeof(wchar_t));
  EXPECT_NE(pending.find(L"\\??\\" + program + std::wstring(2, L'\0') + L"\\??\\" + base +
                         L"uninstall" + std::wstring(2, L'\0')),
            std::wstring::npos);
  ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, sessionKey, L"PendingFileRenameOperations");
}

TEST(RunCopies, OnlyARunsOwnFolderIsTakenAndOnlyWhenItsRunHasEnded) {
  // "<temp>\\<run folder>\\<program>", the temporary folder a drive's root too.
  for (const auto& [program, temp, isCopy] :
       {std::tuple{L"C:\\t\\setup-run-0badc0de\\setup_x.exe", L"C:\\t\\", true},
        {L"C:\\t\\setup-run-0badc0de\\setup_x.exe", L"C:\\t", true},
        {L"C:\\setup-run-0badc0de\\setup_x.exe", L"C:\\", true},
        {L"C:\\t\\setup_x.exe", L"C:\\t\\", false},
        {L"C:\\t\\x\\setup-run-0badc0de\\setup_x.exe", L"C:\\t\\", false},
        {L"C:\\t\\setup-run-0BADC0DE\\setup_x.exe", L"C:\\t\\", false},
        {L"setup_x.exe", L"C:\\t\\", false}})
    EXPECT_EQ(IsRunCopy(program, temp), isCopy) << testing::PrintToString(std::wstring(program));

  CTestFolder folder;
  const std::wstring temp = folder.Path().wstring() + L"\\";
  const std::wstring stale = temp + RunFolderName(1) + L"\\", foreign = temp + RunFolderName(2) + L"\\",
                     empty = temp + RunFolderName(3) + L"\\", elsewhere = temp + L"elsewhere\\";
  for (const std::wstring& made : {stale, foreign, empty, elsewhere}) CreateDirectoryChain(made);
  ASSERT_TRUE(WriteBytes(stale + L"setup_old.exe", "left by a run") &&
              ::SetFileAttributesW((stale + L"setup_old.exe").c_str(), FILE_ATTRIBUTE_READONLY) &&
              WriteBytes(foreign + L"setup_x.exe", "") && WriteBytes(foreign + L"notes.txt", "") &&
              WriteBytes(elsewhere + L"setup_other.exe", "not ours"));
  // A link of a run folder's name leads elsewhere (where the system makes one).
  const bool linked = ::CreateSymbolicLinkW((temp + RunFolderName(4)).c_str(), elsewhere.c_str(),
                                            SYMBOLIC_LINK_FLAG_DIRECTORY) != FALSE;
  DWORD error = ERROR_SUCCESS;
  std::unique_ptr<CRunCopy> running = CRunCopy::Make(temp, L"星の旅人", error);
  ASSERT_TRUE(running) << error;
  const std::wstring copy = running->Program();
  EXPECT_TRUE(IsRunCopy(copy, temp));

  SweepRunFolders(temp);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(empty));
  EXPECT_TRUE(fs::exists(foreign + L"setup_x.exe"));  // beside another file: not a run's
  EXPECT_TRUE(fs::exists(copy));                      // its run holds it
  EXPECT_TRUE(fs::exists(elsewhere + L"setup_other.exe")) << "linked: " << linked;
  // Its end takes the copy and its folder.
  running.reset();
  EXPECT_FALSE(fs::exists(*text::ParentFolderOf(copy)));
}

}  // namespace
