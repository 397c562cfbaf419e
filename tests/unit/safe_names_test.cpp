#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "package/InstallRecord.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"

namespace {

TEST(SafeNames, JudgesPathsAndFileNames) {
  struct Case {
    std::wstring path;
    bool relativePath;
    bool fileName;
  } cases[] = {
      {L"game.exe", true, true},
      {L"data\\表\\ゲーム.dat", true, false},
      {L"data/file.dat", true, false},
      {L".hidden", true, true},
      {L"a..b", true, true},
      {L"", false, false},
      {L"..", false, false},
      {L".", false, false},
      {L"data\\..\\..\\windows", false, false},
      {L"data/../x", false, false},
      {L"data\\.\\x", false, false},
      {L"...", false, false},
      {L".. ", false, false},
      {L"name.", false, false},
      {L"name ", false, false},
      {L"\\windows\\x", false, false},
      {L"/etc/passwd", false, false},
      {L"data\\\\x", false, false},
      {L"data\\", false, false},
      {L"C:x", false, false},
      {L"C:\\x", false, false},
      {L"file.txt:stream", false, false},
      {L"A:B", false, false},
      {std::wstring(L"a\0b", 3), false, false},
      {L"a\tb", false, false},
      {L"a\x7F"
       L"b",
       false, false},
      {L"a*b", false, false},
      {L"a?b", false, false},
      {L"a\"b", false, false},
      {L"a<b", false, false},
      {L"a>b", false, false},
      {L"a|b", false, false},
      {L"con", false, false},
      {L"data\\NUL.txt", false, false},
      {L"com1", false, false},
      {L"LPT9.log", false, false},
      {L"console", true, true},
      {L"com10", true, true},
      {L"nul_file", true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSafeRelativePath(c.path), c.relativePath) << testing::PrintToString(c.path);
    EXPECT_EQ(IsSafeFileName(c.path), c.fileName) << testing::PrintToString(c.path);
  }
}

TEST(SafeNames, FindsTheFirstUnsafeName) {
  const auto makeInfo = [] {
    SetupInfo info;
    info.title = L"表示ゲーム";
    info.company = L"メーカー";
    info.exeFile = L"bin\\game.exe";
    info.readmeFile = L"readme.txt";
    info.menuFolder = L"メーカー\\表示ゲーム";
    info.files = {{L"bin\\game.exe", L"DISC1", 10, {}}, {L"data\\a.dat", L"DISC2", 20, {}}};
    info.menus = {{L"説明書", L"readme.txt"}, {L"フォルダ", L""}};
    return info;
  };
  struct Case {
    const char* what;
    std::function<void(SetupInfo&)> change;
    const wchar_t* complaint;  // nullptr: safe
  } cases[] = {
      {"all safe", [](SetupInfo&) {}, nullptr},
      {"title with a colon", [](SetupInfo& i) { i.title = L"A:B"; }, L"title"},
      {"title with a separator", [](SetupInfo& i) { i.title = L"a\\b"; }, L"title"},
      {"title with a wildcard", [](SetupInfo& i) { i.title = L"a*"; }, L"title"},
      {"title with a zero", [](SetupInfo& i) { i.title = std::wstring(L"a\0b", 3); }, L"title"},
      {"maker with a separator", [](SetupInfo& i) { i.company = L"Microsoft\\Windows"; }, L"maker"},
      {"empty maker", [](SetupInfo& i) { i.company.clear(); }, L"maker"},
      {"empty title", [](SetupInfo& i) { i.title.clear(); }, L"title"},
      {"empty menu folder", [](SetupInfo& i) { i.menuFolder.clear(); }, L"menu folder"},
      {"menu folder climbing", [](SetupInfo& i) { i.menuFolder = L"..\\Startup"; }, L"menu folder"},
      {"empty executable", [](SetupInfo& i) { i.exeFile.clear(); }, nullptr},
      {"absolute executable", [](SetupInfo& i) { i.exeFile = L"C:\\x.exe"; }, L"executable"},
      {"no readme", [](SetupInfo& i) { i.readmeFile.clear(); }, nullptr},
      // Only opened, never written: ".." is the publisher's choice.
      {"readme above the disc", [](SetupInfo& i) { i.readmeFile = L"..\\manual.txt"; }, nullptr},
      {"program above", [](SetupInfo& i) { i.exeFile = L"../bin/game.exe"; }, nullptr},
      {"readme on a drive", [](SetupInfo& i) { i.readmeFile = L"C:r.txt"; }, L"readme"},
      {"readme at the root", [](SetupInfo& i) { i.readmeFile = L"/r.txt"; }, L"readme"},
      {"readme stream", [](SetupInfo& i) { i.readmeFile = L"r.txt:x"; }, L"readme"},
      {"file climbing", [](SetupInfo& i) { i.files[1].name = L"..\\..\\boot.ini"; }, L"file name"},
      {"empty file name", [](SetupInfo& i) { i.files[0].name.clear(); }, L"file name"},
      {"file with a zero", [](SetupInfo& i) { i.files[0].name = std::wstring(L"a\0.exe", 6); }, L"file name"},
      {"caption climbing", [](SetupInfo& i) { i.menus[0].caption = L"..\\x"; }, L"menu caption"},
      {"target climbing", [](SetupInfo& i) { i.menus[0].target = L"..\\x"; }, L"menu target"},
  };
  for (const Case& c : cases) {
    SetupInfo info = makeInfo();
    c.change(info);
    const std::optional<UnsafeName> complaint = FindUnsafeName(info);
    if (!c.complaint) {
      EXPECT_FALSE(complaint) << c.what;
    } else {
      ASSERT_TRUE(complaint) << c.what;
      EXPECT_EQ(complaint->reason.find(c.complaint), 0u) << c.what;
    }
  }
}

TEST(InstallRecord, KeyPathNeedsMakerAndTitle) {
  struct Case {
    std::wstring company, title, expected;
  } cases[] = {
      {L"メーカー", L"表示ゲーム", L"SOFTWARE\\メーカー\\表示ゲーム"},
      {L"", L"表示ゲーム", L""},
      {L"メーカー", L"", L""},
  };
  for (const Case& c : cases) {
    SetupInfo info;
    info.company = c.company;
    info.title = c.title;
    EXPECT_EQ(InstallRecordKeyPath(info), c.expected);
  }
}

}  // namespace
