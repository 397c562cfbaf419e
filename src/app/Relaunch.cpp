#include "app/Relaunch.h"

#include <windows.h>

#include "app/CommandLine.h"
#include "install/InstallNames.h"
#include "package/SafeNames.h"
#include "text/PathText.h"
#include "win/Files.h"
#include "win/Handles.h"
#include "win/Paths.h"
#include "win/Processes.h"

namespace {

// How long the first process waits for its copy to come up.
constexpr DWORD kCopyStartMs = 30000;

// The system's code for the call that just failed; never 0, which means done.
DWORD FailureCode() {
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

}  // namespace

std::optional<std::wstring> TempFilePath(const std::wstring& tempFolder,
                                         const std::wstring& name) {
  if (tempFolder.empty() || !IsSafeFileName(name)) return std::nullopt;
  const std::wstring folder = text::WithTrailingBackslash(tempFolder);
  const std::wstring path = folder + name;

  // Whatever the system makes of the name, it must stay a file directly in
  // the temporary folder.
  const std::optional<std::wstring> fullPath = FullPath(path);
  const std::size_t slash = fullPath ? fullPath->rfind(L'\\') : std::wstring::npos;
  if (slash == std::wstring::npos || !SameFolder(fullPath->substr(0, slash + 1), folder))
    return std::nullopt;
  return path;
}

std::optional<std::wstring> TempCopyPath(const std::wstring& tempFolder,
                                         const std::wstring& title) {
  return TempFilePath(tempFolder, TempProgramName(tempFolder, title));
}

DWORD RelaunchFromTempCopy(const std::wstring& title, const std::wstring& sourceFolder,
                           const std::wstring& switches, bool untilEnd, bool* started) {
  if (started) *started = false;
  const std::wstring tempFolder = TempFolder();
  const std::optional<std::wstring> copyPath = TempCopyPath(tempFolder, title);
  const std::wstring programPath = ModulePath();
  if (!copyPath || programPath.empty()) return ERROR_INVALID_NAME;
  // A temporary folder that was deleted is made again; a failure shows in
  // the copy's.
  CreateDirectoryChain(tempFolder);

  // An earlier copy may have been left read-only; a failure here (no copy
  // yet) is expected.
  (void)::SetFileAttributesW(copyPath->c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!::CopyFileW(programPath.c_str(), copyPath->c_str(), FALSE)) return ::GetLastError();
  (void)::SetFileAttributesW(copyPath->c_str(), FILE_ATTRIBUTE_NORMAL);

  // Quoted, so that blanks survive and a drive root still arrives as Q:\.
  // Started directly, not through the shell: the process exists when this
  // returns. This process then stays until the copy is running its window
  // loop, so nothing of its start depends on this one's end.
  std::wstring commandLine = QuoteArgument(*copyPath) + L" " + QuoteArgument(sourceFolder);
  if (!switches.empty()) commandLine += L" " + switches;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(copyPath->c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    return ::GetLastError();
  }
  if (started) *started = true;
  const win::UniqueHandle copy(process.hProcess);
  const win::UniqueHandle thread(process.hThread);
  // Whoever waits for the end passes its code on: a wait that failed must
  // not pass for a copy that succeeded.
  if (untilEnd && ::WaitForSingleObject(copy.get(), INFINITE) != WAIT_OBJECT_0)
    return FailureCode();
  if (!untilEnd) (void)::WaitForInputIdle(copy.get(), kCopyStartMs);
  DWORD code = STILL_ACTIVE;
  if (!::GetExitCodeProcess(copy.get(), &code)) return untilEnd ? FailureCode() : 0;
  if (code == STILL_ACTIVE) return 0;
  return code;
}
