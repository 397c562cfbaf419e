#include "app/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>

namespace {

struct LocalFreeDeleter {
  void operator()(LPWSTR* argv) const { ::LocalFree(argv); }
};

bool SameSwitch(const std::wstring& argument, const wchar_t* name) {
  return ::CompareStringOrdinal(argument.c_str(), static_cast<int>(argument.size()), name, -1,
                                TRUE) == CSTR_EQUAL;
}

bool StartsWithSwitch(const wchar_t* text, const wchar_t* name) {
  const int length = static_cast<int>(std::wcslen(name));
  return static_cast<int>(std::wcslen(text)) >= length &&
         ::CompareStringOrdinal(text, length, name, length, TRUE) == CSTR_EQUAL;
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
        !StartsWithSwitch(head.c_str() + i, L"/D="))
      continue;
    std::wstring folder = head.substr(i + 3);
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
    } else if (SameSwitch(argument, L"/S")) {
      parsed.silent = true;
    } else if (SameSwitch(argument, L"/uninstall")) {
      parsed.uninstall = true;
    } else if (SameSwitch(argument, L"/repair")) {
      parsed.repair = true;
    } else if (SameSwitch(argument, L"/install")) {
      parsed.install = true;
    } else if (SameSwitch(argument, L"/confirmed")) {
      parsed.confirmed = true;
    } else if (StartsWithSwitch(argument.c_str(), L"/log=")) {
      parsed.logFile = argument.substr(5);
    } else if (StartsWithSwitch(argument.c_str(), L"/D=")) {
      parsed.installFolder = argument.substr(3);
    } else {
      parsed.unknown.push_back(argument);
    }
  }
  return parsed;
}
