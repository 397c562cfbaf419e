// The start-up's command line: which argument names the source folder, how
// the folder travels to the temporary copy, and where that copy may go.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Relaunch.h"

namespace {

std::vector<std::wstring> Split(const std::wstring& commandLine) {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
  std::vector<std::wstring> result;
  for (int i = 0; i < count; ++i) result.emplace_back(argv[i]);
  ::LocalFree(argv);
  return result;
}

TEST(Startup, QuotedFolderArrivesUnchanged) {
  struct Case {
    std::wstring folder;
    std::wstring quoted;  // empty: not checked literally
  } cases[] = {
      {L"Q:\\", L"\"Q:\\\\\""},
      {L"C:\\My Disc", L"\"C:\\My Disc\""},
      {L"C:\\ゲーム 体験版\\星の旅人", L""},
      {L"D:\\ディスク\\", L""},
      {L"\\\\server\\share\\disc 1\\", L""},
      {L"C:\\two\\\\", L"\"C:\\two\\\\\\\\\""},
      {L"C:\\odd\"name", L""},
      {L"", L"\"\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "folder of " << c.folder.size() << " characters");
    const std::wstring quoted = QuoteArgument(c.folder);
    if (!c.quoted.empty()) {
      EXPECT_EQ(quoted, c.quoted);
    }
    const std::vector<std::wstring> args = Split(L"\"C:\\Temp\\setup_x.exe\" " + quoted);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_TRUE(args[1] == c.folder);
    // The copy's own start-up takes it as its folder, empty aside.
    if (!c.folder.empty()) {
      EXPECT_EQ(FolderArgument((L"setup_x.exe " + quoted).c_str()), std::optional<std::wstring>(c.folder));
    }
  }
}

TEST(Startup, FolderArgumentSkipsSwitches) {
  struct Case {
    const wchar_t* commandLine;
    std::optional<std::wstring> folder;
  } cases[] = {
      {L"setup.exe", std::nullopt},
      {L"", std::nullopt},
      {L"\"C:\\Disc One\\setup.exe\"", std::nullopt},
      {L"setup.exe Q:\\", L"Q:\\"},
      {L"setup.exe /s -x Q:\\disc", L"Q:\\disc"},
      {L"setup.exe -flag", std::nullopt},
      {L"setup.exe /", std::nullopt},
      {L"setup.exe \"\" D:\\", L"D:\\"},
      {L"setup.exe first second", L"first"},
      {L"setup.exe \"C:\\a b\\c\" /x", L"C:\\a b\\c"},
      {L"setup.exe relative\\folder", L"relative\\folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(FolderArgument(c.commandLine), c.folder);
  }
}

TEST(Startup, TempCopyStaysInTheTemporaryFolder) {
  struct Case {
    const wchar_t* temp;
    const wchar_t* title;
    std::optional<std::wstring> path;
  } cases[] = {
      {L"C:\\TEMP\\", L"Sample", L"C:\\TEMP\\setup_Sample.exe"},
      {L"C:\\TEMP", L"Sample", L"C:\\TEMP\\setup_Sample.exe"},
      {L"C:\\TEMP\\", L"星の旅人", L"C:\\TEMP\\setup_星の旅人.exe"},
      {L"C:\\TEMP\\", L"", L"C:\\TEMP\\setup_.exe"},
      {L"C:\\TEMP\\", L"..", L"C:\\TEMP\\setup_...exe"},
      {L"C:\\TEMP\\", L"A Game", L"C:\\TEMP\\setup_A Game.exe"},
      {L"C:\\TEMP\\", L"a:b", std::nullopt},
      {L"C:\\TEMP\\", L"x\\..\\..\\Windows\\evil", std::nullopt},
      {L"C:\\TEMP\\", L"x/../../evil", std::nullopt},
      {L"C:\\TEMP\\", L"what?", std::nullopt},
      {L"C:\\TEMP\\", L"tab\there", std::nullopt},
      {L"", L"Sample", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(TempCopyPath(c.temp, c.title), c.path);
  }
}

}  // namespace
