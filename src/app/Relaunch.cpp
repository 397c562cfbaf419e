#include "app/Relaunch.h"

#include <windows.h>

#include "app/CommandLine.h"
#include "install/TempCopy.h"
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

DWORD RelaunchFromTempCopy(const std::wstring& title, const std::wstring& sourceFolder,
                           const std::wstring& switches, bool untilEnd, bool* started) {
  if (started) *started = false;
  const std::wstring tempFolder = TempFolder();
  // A temporary folder that was deleted is made again; a failure shows in
  // the copy's.
  if (!tempFolder.empty()) CreateDirectoryChain(tempFolder);
  DWORD error = ERROR_SUCCESS;
  const std::unique_ptr<CRunCopy> copy = CRunCopy::Make(tempFolder, title, error);
  if (!copy) return error;

  // Quoted, so that blanks survive and a drive root still arrives as Q:\.
  // Started directly, not through the shell: the process exists when this
  // returns. This process then stays until the copy is running its window
  // loop, so nothing of its start depends on this one's end.
  std::wstring commandLine = QuoteArgument(copy->Program()) + L" " + QuoteArgument(sourceFolder);
  if (!switches.empty()) commandLine += L" " + switches;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(copy->Program().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
    return ::GetLastError();
  }
  if (started) *started = true;
  const win::UniqueHandle running(process.hProcess);
  const win::UniqueHandle thread(process.hThread);
  // Whoever waits for the end passes its code on: a wait that failed must
  // not pass for a copy that succeeded.
  if (untilEnd && ::WaitForSingleObject(running.get(), INFINITE) != WAIT_OBJECT_0) {
    const DWORD failure = FailureCode();
    copy->LetGo();  // it may still run: the sweep takes its folder later
    return failure;
  }
  if (!untilEnd) (void)::WaitForInputIdle(running.get(), kCopyStartMs);
  DWORD code = STILL_ACTIVE;
  if (!::GetExitCodeProcess(running.get(), &code) && untilEnd) return FailureCode();
  if (code != STILL_ACTIVE) return code;
  // It runs on, and its folder with it.
  copy->LetGo();
  return 0;
}
