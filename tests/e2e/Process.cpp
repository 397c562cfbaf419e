#include "Process.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstddef>
#include <utility>

#include "Window.h"

namespace e2e {

namespace {

// Where a process keeps its current directory: the
// process parameters block that its PEB points to. The layouts of the
// documented structures, per bitness; the driver reads processes of its
// own bitness only.
#ifdef _WIN64
constexpr std::size_t kPebParameters = 0x20;
constexpr std::size_t kParamsCurrentDirectory = 0x38;
#else
constexpr std::size_t kPebParameters = 0x10;
constexpr std::size_t kParamsCurrentDirectory = 0x24;
#endif

std::wstring ReadRemoteString(HANDLE process, std::size_t parametersOffset) {
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  if (::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) return {};
  const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
  const BYTE* parameters = nullptr;
  SIZE_T read = 0;
  if (!::ReadProcessMemory(process, peb + kPebParameters, &parameters, sizeof parameters, &read) || !parameters)
    return {};
  UNICODE_STRING remote{};
  if (!::ReadProcessMemory(process, parameters + parametersOffset, &remote, sizeof remote, &read) || !remote.Buffer)
    return {};
  std::wstring text(remote.Length / sizeof(wchar_t), L'\0');
  if (!text.empty() && !::ReadProcessMemory(process, remote.Buffer, text.data(), remote.Length, &read)) return {};
  return text;
}

std::wstring ProgramFolder(const std::wstring& program) {
  const std::size_t slash = program.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : program.substr(0, slash + 1);
}

// The one watch that may run at a time; the hook's procedure reports here.
struct CWatchState {
  DWORD processId = 0;
  std::vector<HWND> seen;
  std::wstring windows;
};
CWatchState* s_watch = nullptr;

void NoteWindow(HWND hwnd, const wchar_t* how) {
  for (const HWND seen : s_watch->seen) {
    if (seen == hwnd) return;
  }
  s_watch->seen.push_back(hwnd);
  wchar_t className[64] = {};
  ::GetClassNameW(hwnd, className, 64);
  wchar_t caption[256] = {};
  ::GetWindowTextW(hwnd, caption, 256);
  s_watch->windows += std::wstring(how) + L" " + className + L" \"" + caption + L"\"\n";
}

// Every window the process creates is reported here, however briefly it
// lives. The system's own hidden helper windows (IME, COM) are not of the
// dialog class; a dialog or message box is, visible or not yet.
void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (s_watch == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF || hwnd == nullptr) return;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(hwnd, &processId);
  if (processId != s_watch->processId) return;
  wchar_t className[64] = {};
  ::GetClassNameW(hwnd, className, 64);
  if (std::wstring(className) == L"#32770") NoteWindow(hwnd, L"created");
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

CWatchResult Watch(CProcess& process, DWORD timeoutMs) {
  CWatchState state;
  state.processId = process.Id();
  s_watch = &state;
  const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, OnWindowEvent,
                                               process.Id(), 0, WINEVENT_OUTOFCONTEXT);
  process.Resume();

  CWatchResult result;
  const DWORD start = ::GetTickCount();
  HANDLE handle = process.Handle();
  for (;;) {
    // Polling catches windows that a lost event would hide; the hook
    // catches those that live shorter than one poll.
    for (const CWindow& window : FindWindows(L"", process.Id())) NoteWindow(window.Handle(), L"visible");
    // Once a window has shown, the answer is known.
    if (!state.seen.empty()) break;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeoutMs) break;
    const DWORD wait = ::MsgWaitForMultipleObjects(1, &handle, FALSE, 10, QS_ALLINPUT);
    PumpMessages();
    if (wait == WAIT_OBJECT_0) {
      result.exited = true;
      break;
    }
  }
  // Events posted just before the end still arrive.
  const DWORD settle = ::GetTickCount();
  while (::GetTickCount() - settle < 100) {
    PumpMessages();
    ::Sleep(10);
  }
  if (hook) ::UnhookWinEvent(hook);
  s_watch = nullptr;
  result.windowShown = !state.seen.empty();
  result.windows = state.windows;
  return result;
}

void EndProcess(const win::UniqueHandle& process) {
  if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), 5000);
  }
}

}  // namespace

CProcess::~CProcess() { EndProcess(m_hProcess); }

CProcess& CProcess::operator=(CProcess&& other) noexcept {
  if (this != &other) {
    EndProcess(m_hProcess);
    m_hProcess = std::move(other.m_hProcess);
    m_hThread = std::move(other.m_hThread);
    m_id = std::exchange(other.m_id, 0);
  }
  return *this;
}

CProcess CProcess::Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                         bool suspended) {
  CProcess process;
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  const std::wstring directory = folder.empty() ? ProgramFolder(program) : folder;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // No handles inherited: the program must not hold the driver's output open.
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, nullptr, directory.empty() ? nullptr : directory.c_str(),
                        &startup, &info))
    return process;
  process.m_hProcess.reset(info.hProcess);
  win::UniqueHandle thread(info.hThread);
  if (suspended) process.m_hThread = std::move(thread);
  process.m_id = info.dwProcessId;
  return process;
}

CProcess CProcess::Attach(DWORD processId) {
  CProcess process;
  process.m_hProcess.reset(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
  if (process.m_hProcess) process.m_id = processId;
  return process;
}

std::wstring CProcess::ImagePath() const {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD length = MAX_PATH * 4;
  if (!m_hProcess || !::QueryFullProcessImageNameW(m_hProcess.get(), 0, path, &length)) return {};
  return std::wstring(path, length);
}

std::wstring CProcess::CurrentDirectory() const {
  return m_hProcess ? ReadRemoteString(m_hProcess.get(), kParamsCurrentDirectory) : std::wstring();
}

std::vector<DWORD> FindProcesses(const std::wstring& fileName) {
  std::vector<DWORD> ids;
  const win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    std::wstring name = entry.szExeFile;
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    if (::CompareStringOrdinal(name.c_str(), -1, fileName.c_str(), -1, TRUE) == CSTR_EQUAL)
      ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

std::wstring DescribeProcesses() {
  std::wstring description = L"processes:\n";
  const win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return description;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    description += L"  pid " + std::to_wstring(entry.th32ProcessID) + L" (parent " +
                   std::to_wstring(entry.th32ParentProcessID) + L") " + entry.szExeFile + L"\n";
  }
  return description;
}

CWatchResult RunWatchingWindows(const std::wstring& program, const std::wstring& arguments) {
  CProcess process = CProcess::Start(program, arguments, {}, true);
  if (!process) return CWatchResult();
  CWatchResult result = Watch(process, kWaitMs);
  result.process = std::move(process);
  return result;
}

}  // namespace e2e
