#include "win/Processes.h"

#include <shellapi.h>

#include "win/Handles.h"

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

namespace win {

namespace {

// Waits for process while dispatching the thread's messages, so that the
// disabled owner still paints. A WM_QUIT is kept for the loop above.
bool WaitDispatching(HANDLE process) {
  bool quit = false;
  int exitCode = 0;
  for (;;) {
    const DWORD woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) break;
    if (woken != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        exitCode = static_cast<int>(message.wParam);
        continue;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  if (quit) ::PostQuitMessage(exitCode);
  return true;
}

}  // namespace

bool IsElevated() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return true;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
    return true;
  return elevation.TokenIsElevated != 0;
}

std::optional<DWORD> RunElevatedAndWait(HWND owner, const std::wstring& program,
                                        const std::wstring& parameters,
                                        const std::wstring& folder) {
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  // NOASYNC: the call returns once the process exists; no DDE is left
  // pending for a program that ends right after.
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  execute.hwnd = owner;
  execute.lpVerb = L"runas";
  execute.lpFile = program.c_str();
  execute.lpParameters = parameters.c_str();
  execute.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  execute.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&execute) || !execute.hProcess) return std::nullopt;
  const UniqueHandle process(execute.hProcess);

  if (owner) ::EnableWindow(owner, FALSE);
  const bool ended = owner ? WaitDispatching(process.get())
                           : ::WaitForSingleObject(process.get(), INFINITE) == WAIT_OBJECT_0;
  if (owner) {
    ::EnableWindow(owner, TRUE);
    ::SetForegroundWindow(owner);
  }
  DWORD code = 0;
  if (!ended || !::GetExitCodeProcess(process.get(), &code)) return std::nullopt;
  return code;
}

}  // namespace win
