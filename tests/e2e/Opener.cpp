// Stands in for the program registered for a document type (see
// RegisterDocumentOpener): it appends what it was asked to open, and from
// which current directory, to %E2E_WORK%\opened.txt and ends.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "text/Utf8.h"
#include "win/Handles.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t work[MAX_PATH * 2] = {};
  const DWORD workLength = ::GetEnvironmentVariableW(L"E2E_WORK", work, MAX_PATH * 2);
  if (workLength == 0 || workLength >= MAX_PATH * 2) return 1;

  int count = 0;
  LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  const std::wstring document = args != nullptr && count > 1 ? args[1] : L"";
  if (args != nullptr) ::LocalFree(args);
  wchar_t folder[MAX_PATH * 2] = {};
  ::GetCurrentDirectoryW(MAX_PATH * 2, folder);

  // One write per record, so that a reader never sees half of one.
  const std::string record = "file=" + text::ToUtf8(document) + "\r\ncwd=" + text::ToUtf8(folder) + "\r\n";
  const std::wstring log = std::wstring(work) + L"\\opened.txt";
  const win::UniqueFile file(::CreateFileW(log.c_str(), FILE_APPEND_DATA,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  return ok && written == record.size() ? 0 : 1;
}
