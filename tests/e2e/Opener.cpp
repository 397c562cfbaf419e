// Stands in for the program registered for a document type (see
// RegisterDocumentOpener): it reports what it was asked to open, and from
// which current directory, as the next OpenedRecord, and ends.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "System.h"
#include "text/Utf8.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  const std::wstring document = args != nullptr && count > 1 ? args[1] : L"";
  if (args != nullptr) ::LocalFree(args);

  // Written aside, then renamed to the first free number: a report appears
  // whole, and two openers never share a file.
  const std::string record =
      "file=" + text::ToUtf8(document) + "\r\ncwd=" + text::ToUtf8(CurrentFolder()) + "\r\n";
  const std::wstring pending =
      e2e::JoinPath(e2e::WorkDir(), std::to_wstring(::GetCurrentProcessId()) + L".opened");
  if (e2e::WorkDir().empty() || !e2e::WriteFileBytes(pending, record)) return 1;
  for (int n = 1; n < 1000; ++n) {
    if (::MoveFileW(pending.c_str(), e2e::OpenedRecord(n).c_str())) return 0;
  }
  return 1;
}
