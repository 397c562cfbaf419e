// The command line: what people and scripts type is read as documented, and
// every command the program starts a copy of itself with reads back as it
// was written.
#include <gtest/gtest.h>

#include "install/CommandLine.h"

namespace {

CommandLine Parsed(const std::wstring& arguments) {
  return ParseCommandLine((L"\"C:\\Program Files\\x\\setup.exe\" " + arguments).c_str());
}

TEST(CommandLine, ReadsWhatPeopleAndScriptsType) {
  struct Case {
    const wchar_t* arguments;
    CommandLine expected;
  };
  const auto with = [](auto change) {
    CommandLine c;
    change(c);
    return c;
  };
  const Case cases[] = {
      {L"", {}},
      {L"Q:\\", with([](CommandLine& c) { c.folder = L"Q:\\"; })},
      // An empty argument names no folder; only the first folder counts.
      {L"\"\" D:\\a E:\\b", with([](CommandLine& c) { c.folder = L"D:\\a"; })},
      {L"/s /UNINSTALL", with([](CommandLine& c) { c.silent = c.uninstall = true; })},
      // /D= takes the rest of the line, blanks included, one pair of quotes dropped.
      {L"/S /D=C:\\My Games\\星 の  ", with([](CommandLine& c) {
         c.silent = true;
         c.installFolder = L"C:\\My Games\\星 の";
       })},
      {L"/S /D=\"C:\\A B\"", with([](CommandLine& c) {
         c.silent = true;
         c.installFolder = L"C:\\A B";
       })},
      {L"\"/D=C:\\A B\" /S", with([](CommandLine& c) {
         c.silent = true;
         c.installFolder = L"C:\\A B";
       })},
      // Not a switch of the program's: kept as given, never taken for the folder.
      {L"-S /role=boss /X", with([](CommandLine& c) { c.unknown = {L"-S", L"/role=boss", L"/X"}; })},
      {L"\"/log=C:\\a b\\x.log\" /role=ELEVATED", with([](CommandLine& c) {
         c.logFile = L"C:\\a b\\x.log";
         c.role = Role::kElevated;
       })},
  };
  for (const Case& c : cases) EXPECT_TRUE(Parsed(c.arguments) == c.expected) << c.arguments;
}

TEST(CommandLine, EveryCommandTheProgramStartsReadsBackAsWritten) {
  const auto command = [](std::wstring folder, auto change) {
    CommandLine c;
    if (!folder.empty()) c.folder = folder;
    change(c);
    return c;
  };
  const std::wstring disc = L"Q:\\", set = L"C:\\set ups\\星の旅人\\DISC1\\";
  const CommandLine commands[] = {
      // The launcher of several discs, from its run copy.
      command(disc, [](CommandLine& c) { c.role = Role::kRunCopy; }),
      command(set, [](CommandLine& c) { c.role = Role::kRunCopy; }),
      // The launcher's commands, with rights.
      command(disc, [](CommandLine& c) { c.install = true, c.role = Role::kElevated; }),
      command(set, [](CommandLine& c) { c.repair = true, c.role = Role::kElevated; }),
      command(disc, [](CommandLine& c) {
        c.uninstall = c.confirmed = true, c.role = Role::kElevated;
      }),
      command({}, [](CommandLine& c) { c.uninstall = c.confirmed = true; }),
      // A run without the launcher, again with rights; its log stays the user's.
      command(set, [](CommandLine& c) {
        c.silent = true, c.role = Role::kElevated;
        c.logFile = L"C:\\Users\\山田 太郎\\Temp\\setup_星の旅人.log";
        c.installFolder = L"D:\\My Games\\星の 旅人";
      }),
      // The wizard and the repair from a run copy; the removal from one.
      command(set, [](CommandLine& c) { c.install = true, c.role = Role::kRunCopy; }),
      command(disc, [](CommandLine& c) { c.repair = true, c.role = Role::kRunCopy; }),
      command(L"C:\\Program Files\\工房\\星\\uninstall\\", [](CommandLine& c) {
        c.silent = c.uninstall = true, c.role = Role::kRunCopy;
        c.logFile = L"C:\\Temp\\setup_星.log";
      }),
  };
  for (const CommandLine& c : commands) {
    const std::wstring line = FormatCommandLine(c);
    EXPECT_TRUE(Parsed(line) == c) << line;
  }
}

TEST(CommandLine, CountsTheCommandsAskedFor) {
  EXPECT_EQ(CommandsAskedFor(Parsed(L"/S")), 0);
  EXPECT_EQ(CommandsAskedFor(Parsed(L"/S /repair")), 1);
  EXPECT_EQ(CommandsAskedFor(Parsed(L"/install /uninstall")), 2);
  EXPECT_EQ(CommandsAskedFor(Parsed(L"/install /uninstall /REPAIR")), 3);
}

}  // namespace
