#include "install/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <tuple>

#include "win/Processes.h"

namespace {

// The switches: each is read and written through this one table.
struct FlagSwitch {
  const wchar_t* name;
  bool CommandLine::*member;
};
constexpr FlagSwitch kFlags[] = {
    {L"/S", &CommandLine::silent},       {L"/install", &CommandLine::install},
    {L"/uninstall", &CommandLine::uninstall}, {L"/repair", &CommandLine::repair},
    {L"/confirmed", &CommandLine::confirmed},
};
struct RoleName {
  Role role;
  const wchar_t* value;
};
constexpr wchar_t kRoleSwitch[] = L"/role=";
constexpr RoleName kRoles[] = {{Role::kRunCopy, L"copy"}, {Role::kElevated, L"elevated"}};
constexpr wchar_t kLogSwitch[] = L"/log=";
constexpr wchar_t kInstallFolderSwitch[] = L"/D=";

struct LocalFreeDeleter {
  void operator()(LPWSTR* argv) const { ::LocalFree(argv); }
};

bool SameText(const wchar_t* a, std::size_t length, const wchar_t* b) {
  return ::CompareStringOrdinal(a, static_cast<int>(length), b, -1, TRUE) == CSTR_EQUAL;
}

bool StartsWithSwitch(const wchar_t* text, const wchar_t* name) {
  const std::size_t length = std::wcslen(name);
  return std::wcslen(text) >= length && SameText(text, length, name);
}

// The value after name= when argument is that switch.
std::optional<std::wstring> ValueOf(const std::wstring& argument, const wchar_t* name) {
  if (!StartsWithSwitch(argument.c_str(), name)) return std::nullopt;
  return argument.substr(std::wcslen(name));
}

bool ReadSwitch(const std::wstring& argument, CommandLine& parsed) {
  for (const FlagSwitch& flag : kFlags) {
    if (SameText(argument.c_str(), argument.size(), flag.name)) {
      parsed.*flag.member = true;
      return true;
    }
  }
  if (const std::optional<std::wstring> role = ValueOf(argument, kRoleSwitch)) {
    for (const RoleName& name : kRoles) {
      if (SameText(role->c_str(), role->size(), name.value)) {
        parsed.role = name.role;
        return true;
      }
    }
    return false;
  }
  if (std::optional<std::wstring> log = ValueOf(argument, kLogSwitch)) {
    parsed.logFile = std::move(log);
    return true;
  }
  if (std::optional<std::wstring> folder = ValueOf(argument, kInstallFolderSwitch)) {
    parsed.installFolder = std::move(folder);
    return true;
  }
  return false;
}

}  // namespace

CommandLine ParseCommandLine(const wchar_t* commandLine) {
  CommandLine parsed;
  // An empty command line would make CommandLineToArgvW report the
  // program's own path as the first argument.
  if (!commandLine || !*commandLine) return parsed;
  std::wstring head = commandLine;

  // "/D=" that begins an argument outside quotes takes the rest of the line.
  bool quoted = false;
  for (std::size_t i = 0; i < head.size(); ++i) {
    if (head[i] == L'"') quoted = !quoted;
    if (quoted || i == 0 || (head[i - 1] != L' ' && head[i - 1] != L'\t') ||
        !StartsWithSwitch(head.c_str() + i, kInstallFolderSwitch))
      continue;
    std::wstring folder = head.substr(i + std::wcslen(kInstallFolderSwitch));
    while (!folder.empty() && (folder.back() == L' ' || folder.back() == L'\t')) folder.pop_back();
    // A folder name holds no quote: a pair around the whole is the habit of
    // quoting a path with blanks.
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
      folder = folder.substr(1, folder.size() - 2);
    parsed.installFolder = folder;
    head.resize(i);
    break;
  }

  int count = 0;
  std::unique_ptr<LPWSTR, LocalFreeDeleter> argv(::CommandLineToArgvW(head.c_str(), &count));
  if (!argv) return parsed;
  for (int i = 1; i < count; ++i) {
    const std::wstring argument = argv.get()[i];
    // An empty argument ("") names no folder.
    if (argument.empty()) continue;
    if (argument[0] != L'-' && argument[0] != L'/') {
      if (!parsed.folder) parsed.folder = argument;
    } else if (!ReadSwitch(argument, parsed)) {
      parsed.unknown.push_back(argument);
    }
  }
  return parsed;
}

std::wstring FormatCommandLine(const CommandLine& command) {
  std::wstring line;
  const auto add = [&](const std::wstring& argument) {
    if (!line.empty()) line += L' ';
    line += argument;
  };
  // Quoted, so that blanks survive and a drive's root still arrives as Q:\.
  if (command.folder) add(QuoteArgument(*command.folder));
  for (const FlagSwitch& flag : kFlags)
    if (command.*flag.member) add(flag.name);
  for (const RoleName& name : kRoles)
    if (command.role == name.role) add(std::wstring(kRoleSwitch) + name.value);
  if (command.logFile) add(QuoteArgument(kLogSwitch + *command.logFile));
  for (const std::wstring& unknown : command.unknown) add(QuoteArgument(unknown));
  // Last: it takes the rest of the line, as it stands.
  if (command.installFolder) add(kInstallFolderSwitch + *command.installFolder);
  return line;
}

int CommandsAskedFor(const CommandLine& command) {
  return int{command.install} + int{command.uninstall} + int{command.repair};
}

bool operator==(const CommandLine& a, const CommandLine& b) {
  const auto fields = [](const CommandLine& c) {
    return std::tie(c.folder, c.silent, c.install, c.uninstall, c.repair, c.confirmed, c.role,
                    c.logFile, c.installFolder, c.unknown);
  };
  return fields(a) == fields(b);
}
