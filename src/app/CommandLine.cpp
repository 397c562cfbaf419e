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
    } else if (StartsWithSwitch(argument.c_str(), L"/D=")) {
      parsed.installFolder = argument.substr(3);
    } else {
      parsed.unknown.push_back(argument);
    }
  }
  return parsed;
}

std::wstring QuoteArgument(const std::wstring& argument) {
  // Backslashes are literal except in a run that ends at a quote, where each
  // pair stands for one; the closing quote counts as such a quote.
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}
