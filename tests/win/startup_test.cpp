// The start-up's command line: which argument names the source folder, how
// the folder travels to the temporary copy, and where that copy may go.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "app/CommandLine.h"
#include "app/Relaunch.h"

namespace {

TEST(Startup, QuotedFolderArrivesUnchanged) {
  for (const std::wstring folder : {L"Q:\\", L"C:\\My Disc", L"C:\\ゲーム 体験版\\星の旅人", L"C:\\two\\\\",
                                    L"\\\\server\\share\\disc 1\\", L"C:\\odd\"name", L""}) {
    const std::wstring commandLine = L"\"C:\\Temp\\setup_x.exe\" " + QuoteArgument(folder);
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    EXPECT_TRUE(count == 2 && argv[1] == folder) << testing::PrintToString(commandLine);
    ::LocalFree(argv);
    if (!folder.empty()) {
      EXPECT_EQ(FolderArgument(commandLine.c_str()), folder);
    }
  }
}

TEST(Startup, FolderArgumentSkipsSwitches) {
  struct Case {
    const wchar_t* commandLine;
    std::optional<std::wstring> folder;
  } cases[] = {
      {L"setup.exe", std::nullopt},          {L"", std::nullopt},
      {L"\"C:\\Disc One\\setup.exe\"", std::nullopt},
      {L"setup.exe /s -x Q:\\disc", L"Q:\\disc"}, {L"setup.exe /", std::nullopt},
      {L"setup.exe \"\" D:\\", L"D:\\"},     {L"setup.exe first second", L"first"},
      {L"setup.exe \"C:\\a b\\c\" /x", L"C:\\a b\\c"},
  };
  for (const Case& c : cases) EXPECT_EQ(FolderArgument(c.commandLine), c.folder) << "case " << (&c - cases);
}

TEST(Startup, TempCopyStaysInTheTemporaryFolder) {
  struct Case {
    const wchar_t* temp;
    const wchar_t* title;
    std::optional<std::wstring> path;
  } cases[] = {
      {L"C:\\TEMP\\", L"Sample", L"C:\\TEMP\\setup_Sample.exe"},
      {L"C:\\TEMP", L"星の旅人", L"C:\\TEMP\\setup_星の旅人.exe"},
      {L"C:\\TEMP\\", L"..", L"C:\\TEMP\\setup_...exe"},
      {L"C:\\TEMP\\", L"a:b", std::nullopt},
      {L"C:\\TEMP\\", L"x\\..\\..\\Windows\\evil", std::nullopt},
      {L"C:\\TEMP\\", L"x/../../evil", std::nullopt},
      {L"C:\\TEMP\\", L"what?", std::nullopt},
      {L"C:\\TEMP\\", L"tab\there", std::nullopt},
      {L"", L"Sample", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(TempCopyPath(c.temp, c.title), c.path) << "case " << (&c - cases);
}

}  // namespace
