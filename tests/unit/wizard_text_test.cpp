// The wizard's figures and texts: the progress bar position, the default
// install folder, the installation's names and the destination page's space
// and folder texts; the names an installation gives its pieces where they can
// collide or grow too long (the temporary copy's, the log's, the entry's key).
#include <gtest/gtest.h>

#include "install/InstallFolder.h"
#include "install/InstallNames.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "text/PathText.h"
#include "wizard/Progress.h"

namespace {

TEST(Wizard, ProgressStaysWithinTheBar) {
  struct Case {
    std::uint64_t copied, total;
    int position;
  } const cases[] = {
      {0, 0, 0},
      {1, 0, 100},  // nothing listed: full once anything moved
      {999, 1000, 99},
      {5000, 1000, 100},
      {0x100000000ull, 0x200000000ull, 50},                // no 32-bit wrap
      {0xFFFFFFFFFFFFFFFEull, 0xFFFFFFFFFFFFFFFFull, 99},  // no 64-bit overflow
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgressPosition(c.copied, c.total), c.position) << c.copied << "/" << c.total;
}

TEST(Wizard, FolderAndSpaceTexts) {
  SetupInfo info;
  info.company = L"工房";
  info.title = L"星";
  EXPECT_EQ(DefaultInstallFolder(L"C:\\Program Files\\", info), L"C:\\Program Files\\工房\\星");
  EXPECT_EQ(DefaultInstallFolder(L"D:\\PF", info), L"D:\\PF\\工房\\星");
  EXPECT_EQ(DefaultInstallFolder(L"", info), L"C:\\Program Files\\工房\\星");
  // The end-to-end scenarios find and check these through the same names.
  EXPECT_EQ(ui::LauncherCaption(info.title), L"星 セットアップ");
  EXPECT_STREQ(kInstallRecordValue, L"path");  // as records written earlier or by hand name it

  // Kilobytes round down and stay whole beyond 2 TiB.
  EXPECT_EQ(ui::SpaceText(1023, L"C:\\", 0), L"必要な容量\t0KB\nC:\\ の空き容量\t0KB");
  EXPECT_EQ(ui::SpaceText(0x20000000000ull + 1024, L"D:\\", 0xFFFFFFFFFFFFFFFFull),
            L"必要な容量\t2147483649KB\nD:\\ の空き容量\t18014398509481983KB");

  struct Case {
    const wchar_t* folder;
    const wchar_t* query;  // the drive whose free space is shown
    bool full;             // names its place without the current drive or folder
  } const cases[] = {
      {L"C:\\Games\\X", L"C:\\", true},
      {L"c:\\", L"c:\\", true},
      {L"D:Games", L"D:\\", false},
      {L"D:", L"D:\\", false},  // the drive's current folder, whichever that is
      {L"\\\\server\\share\\x", L"\\\\server\\share\\x", true},
      {L"\\\\server\\", L"\\\\server\\", false},
      {L"\\\\\\x\\", L"\\\\\\x\\", false},
      {L"", L"", false},
      {L"Games\\x:y", L"Games\\x:\\", false},
      {L"\\Games", L"\\Games", false},
      {L"１:\\x", L"１:\\", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FreeSpaceQueryPath(c.folder), c.query)
        << testing::PrintToString(std::wstring(c.folder));
    EXPECT_EQ(text::IsFullFolderPath(c.folder), c.full) << testing::PrintToString(std::wstring(c.folder));
  }
  // A disc's files are looked for at the same path on other drives: what
  // follows the root is kept, whatever the root's form.
  const std::pair<const wchar_t*, std::size_t> roots[] = {{L"E:\\", 3},
                                                          {L"E:\\set\\DISC1\\", 3},
                                                          {L"\\\\srv\\share\\set\\", 12},
                                                          {L"\\\\srv\\share", 11},
                                                          {L"E:set\\", 0},
                                                          {L"\\\\srv\\", 0}};
  for (const auto& [folder, root] : roots) EXPECT_EQ(text::RootLengthOf(folder), root) << folder;
}

TEST(Wizard, InstallFolderLeavesRoomForTheLongestPath) {
  // The folder's characters as shown, without its trailing backslash.
  const auto files = [](std::initializer_list<const wchar_t*> names) {
    std::vector<FileEntry> entries;
    for (const wchar_t* name : names) entries.push_back({name, L"DISC1"});
    return entries;
  };
  const std::wstring name250(250, L'n'), name260(260, L'n');
  struct Case {
    std::vector<FileEntry> files;
    std::size_t chars;
  } const cases[] = {
      {files({}), 237},                                  // folder + "\\uninstall": 247
      {files({L"data\\stage1.dat", L"game.exe"}), 237},  // the uninstall copy's folder is longer
      {files({L"game.exe", name250.c_str()}), 8},        // 8 + 1 + 250 = 259
      {files({L"subfolder\\of\\x", L"a.exe"}), 234},     // folder + "\\subfolder\\of": 247
      {files({L"bgm/テーマ曲の全集/1.dat"}), 235},       // "/" parts a folder as "\\" does
      {files({name260.c_str()}), 0},                     // fits nowhere
  };
  for (const Case& c : cases) EXPECT_EQ(MaxInstallFolderChars(c.files), c.chars) << &c - cases;

  EXPECT_EQ(FolderForDisplay(L"C:\\Games\\X\\"), L"C:\\Games\\X");
  EXPECT_EQ(FolderForDisplay(L"C:\\"), L"C:\\");
  EXPECT_EQ(FolderForDisplay(L"\\\\server\\share\\"), L"\\\\server\\share");
}

TEST(InstallNames, TemporaryNamesFitTheFolderAndKeepLongTitlesApart) {
  const std::wstring temp = L"C:\\users\\root\\Temp\\";  // 19 characters
  // Hashes from xxhsum -H2 of the titles' UTF-8 bytes.
  const std::wstring long246(246, L'長'), other246 = std::wstring(245, L'長') + L'短';
  const std::wstring deep = L"C:\\" + std::wstring(236, L't') + L"\\";  // 240 characters
  struct Case {
    std::wstring folder, title, name;
  } const cases[] = {
      {temp, L"星の旅人", L"setup_星の旅人.exe"},
      {L"C:\\users\\root\\Temp", L"星の旅人", L"setup_星の旅人.exe"},
      // 19 + "setup_" + 230 + ".exe": 259, the longest path that is kept whole.
      {temp, std::wstring(230, L'x'), L"setup_" + std::wstring(230, L'x') + L".exe"},
      {temp, std::wstring(231, L'x'), L"setup_" + std::wstring(221, L'x') + L"~69f8e2f9.exe"},
      // 253 bytes in UTF-8 are kept whole, more are cut to 255 bytes or less;
      // titles that differ only past the cut keep apart.
      {temp, std::wstring(81, L'長'), L"setup_" + std::wstring(81, L'長') + L".exe"},
      {temp, long246, L"setup_" + std::wstring(78, L'長') + L"~f93d3430.exe"},
      {temp, other246, L"setup_" + std::wstring(78, L'長') + L"~47dddfef.exe"},
      // A name never passes 255 characters, however short the folder.
      {L"C:\\", std::wstring(250, L'x'), L"setup_" + std::wstring(236, L'x') + L"~030fb1ab.exe"},
      // No room for the title at all; then none for a name.
      {deep, long246, L"setup_~f93d3430.exe"},
      {L"C:\\" + std::wstring(237, L't') + L"\\", long246, L""},
  };
  for (const Case& c : cases) {
    const std::wstring name = TempProgramName(c.folder, c.title);
    EXPECT_EQ(name, c.name) << &c - cases;
    EXPECT_LE(c.folder.size() + (c.folder.back() == L'\\' ? 0 : 1) + name.size(), 259u);
  }
  EXPECT_EQ(LogFileName(temp, L"星の旅人"), L"setup_星の旅人.log");
  EXPECT_EQ(LogFileName(temp, long246), L"setup_" + std::wstring(78, L'長') + L"~f93d3430.log");
}

TEST(InstallNames, ARunFolderNameIsTakenOnlyInItsOwnForm) {
  EXPECT_EQ(RunFolderName(0x0badc0de), L"setup-run-0badc0de");
  EXPECT_EQ(RunFolderName(7), L"setup-run-00000007");
  EXPECT_TRUE(IsRunFolderName(RunFolderName(0xffffffff)));
  // A sweep removes what bears the name: nothing else may bear it.
  for (const wchar_t* other : {L"setup-run-0badc0d", L"setup-run-0badc0de0", L"setup-run-0BADC0DE",
                               L"setup-run-0badc0dg", L"setup-run-", L"setup_0badc0de",
                               L"xsetup-run-0badc0d", L""})
    EXPECT_FALSE(IsRunFolderName(other)) << testing::PrintToString(std::wstring(other));
}

TEST(InstallNames, EntryKeysOfTwinProductsAreNumbered) {
  SetupInfo first, second;
  first.company = L"甲 乙", first.title = L"丙";
  second.company = L"甲", second.title = L"乙 丙";
  EXPECT_EQ(UninstallEntryKeyName(first), L"甲 乙 丙");
  EXPECT_EQ(UninstallEntryKeyName(second), UninstallEntryKeyName(first));
  EXPECT_EQ(UninstallEntryKeyName(second, 2), L"甲 乙 丙 (2)");
  EXPECT_EQ(UninstallEntryKeyPath(L"甲 乙 丙 (2)"),
            L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\甲 乙 丙 (2)");
  // Never the Uninstall key itself, nor a key below another: a record
  // names the key the removal deletes.
  second.title.clear();
  EXPECT_EQ(UninstallEntryKeyName(second), L"");
  EXPECT_EQ(UninstallEntryKeyPath(L""), L"");
  EXPECT_EQ(UninstallEntryKeyPath(L"甲 乙 丙\\..\\X"), L"");
}

}  // namespace
