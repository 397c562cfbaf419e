// The names an installation gives its pieces where they can collide or grow
// too long: the temporary copy's and the log's, and the Apps & features
// entry's key.
#include <gtest/gtest.h>

#include "install/InstallNames.h"
#include "package/SetupInfo.h"

namespace {

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
