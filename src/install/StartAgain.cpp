#include "install/StartAgain.h"

#include <memory>
#include <optional>

#include "install/RunCopy.h"
#include "win/Files.h"
#include "win/Handles.h"
#include "win/Paths.h"
#include "win/Processes.h"

namespace {

// How long a starter waits for a copy that it does not wait for to come up.
constexpr DWORD kCopyStartMs = 30000;

// The system's code for the call that just failed; never 0, which means done.
DWORD LastError() {
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

StartResult Failed(StartResult::Failure failure, DWORD error) {
  StartResult result;
  result.failure = failure;
  result.error = error;
  return result;
}

StartResult StartWithRights(const StartRequest& request, const std::wstring& program) {
  const std::optional<DWORD> code = win::RunElevatedAndWait(
      request.owner, program, FormatCommandLine(request.command), request.folder);
  if (!code) {
    const DWORD error = LastError();
    return Failed(error == ERROR_CANCELLED ? StartResult::Failure::kRefused
                                           : StartResult::Failure::kNotStarted,
                  error);
  }
  StartResult result;
  result.exitCode = *code;
  return result;
}

// Started directly, not through the shell: the process exists when this
// returns. A starter that does not wait for the end stays until the new
// process runs its window loop, so nothing of its start depends on the
// starter's end.
StartResult StartDirectly(const StartRequest& request, const std::wstring& program,
                          CRunCopy* copy) {
  std::wstring commandLine = QuoteArgument(program) + L" " + FormatCommandLine(request.command);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        request.folder.empty() ? nullptr : request.folder.c_str(), &startup,
                        &process))
    return Failed(StartResult::Failure::kNotStarted, LastError());
  const win::UniqueHandle running(process.hProcess);
  const win::UniqueHandle thread(process.hThread);
  // Whoever waits for the end passes its code on: a wait that failed must
  // not pass for a process that succeeded.
  if (request.untilEnd && ::WaitForSingleObject(running.get(), INFINITE) != WAIT_OBJECT_0) {
    if (copy) copy->LetGo();  // it may still run: the sweep takes its folder later
    return Failed(StartResult::Failure::kLost, LastError());
  }
  if (!request.untilEnd) (void)::WaitForInputIdle(running.get(), kCopyStartMs);
  StartResult result;
  DWORD code = STILL_ACTIVE;
  if (!::GetExitCodeProcess(running.get(), &code) && request.untilEnd)
    return Failed(StartResult::Failure::kLost, LastError());
  if (code != STILL_ACTIVE) {
    result.exitCode = code;
  } else if (copy) {
    copy->LetGo();  // it runs on, and its folder with it
  }
  return result;
}

}  // namespace

StartRequest::Program ProgramForRights(Role role) {
  return role == Role::kStarted ? StartRequest::Program::kThis : StartRequest::Program::kRunCopy;
}

StartResult StartProgram(const StartRequest& request) {
  std::unique_ptr<CRunCopy> copy;
  std::wstring program = request.program;
  if (request.from == StartRequest::Program::kThis) program = ModulePath();
  if (request.from == StartRequest::Program::kRunCopy) {
    const std::wstring tempFolder = TempFolder();
    // A temporary folder that was deleted is made again; a failure shows
    // in the copy's.
    if (!tempFolder.empty()) CreateDirectoryChain(tempFolder);
    DWORD error = ERROR_SUCCESS;
    copy = CRunCopy::Make(tempFolder, request.title, error);
    // Never the copy this one runs from instead: it is nobody's to hold.
    if (!copy) return Failed(StartResult::Failure::kNoCopy, error);
    program = copy->Program();
  }
  StartResult result = request.withRights ? StartWithRights(request, program)
                                          : StartDirectly(request, program, copy.get());
  // The copy's removal must not change what the caller reads of a failure.
  const DWORD error = ::GetLastError();
  copy.reset();
  ::SetLastError(error);
  return result;
}
