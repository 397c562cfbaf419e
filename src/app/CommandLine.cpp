#include "app/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

namespace {

struct LocalFreeDeleter {
  void operator()(LPWSTR* argv) const { ::LocalFree(argv); }
};

}  // namespace

std::optional<std::wstring> FolderArgument(const wchar_t* commandLine) {
  // An empty command line would make CommandLineToArgvW report the
  // program's own path as the first argument.
  if (!commandLine || !*commandLine) return std::nullopt;
  int count = 0;
  std::unique_ptr<LPWSTR, LocalFreeDeleter> argv(::CommandLineToArgvW(commandLine, &count));
  if (!argv) return std::nullopt;
  for (int i = 1; i < count; ++i) {
    const wchar_t* argument = argv.get()[i];
    // An empty argument ("") names no folder.
    if (argument[0] == L'\0' || argument[0] == L'-' || argument[0] == L'/') continue;
    return std::wstring(argument);
  }
  return std::nullopt;
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

std::wstring ModulePath() {
  // Paths may be longer than MAX_PATH: grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::wstring ModuleFolder() {
  std::wstring path = ModulePath();
  const std::size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos) return {};
  path.resize(slash + 1);
  return path;
}
