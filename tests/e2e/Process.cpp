#include "Process.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <utility>

namespace e2e {

namespace {

// Where a process keeps its current directory: in the parameters block
// that its PEB points to (documented layouts; a process of the driver's
// own bitness).
#ifdef _WIN64
constexpr std::size_t kPebParameters = 0x20, kParamsCurrentDirectory = 0x38;
#else
constexpr std::size_t kPebParameters = 0x10, kParamsCurrentDirectory = 0x24;
#endif

void EndProcess(const win::UniqueHandle& process) {
  if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), 5000);
  }
}

// Calls visit(entry) for every running process.
template <typename Visit>
void ForEachProcess(Visit visit) {
  const win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry))
    visit(entry);
}

// The watch that runs; the event hook reports here.
struct CWatchState {
  DWORD processId = 0;
  std::vector<HWND> seen;
  std::wstring windows;
} s_watch;

void NoteWindow(HWND hwnd, const wchar_t* how) {
  if (std::find(s_watch.seen.begin(), s_watch.seen.end(), hwnd) != s_watch.seen.end()) return;
  s_watch.seen.push_back(hwnd);
  const CWindow window(hwnd);
  s_watch.windows +=
      std::wstring(how) + L" " + window.ClassName() + L" \"" + window.Text() + L"\"\n";
}

// Every window the process creates, however briefly it lives. The system's
// hidden helper windows (IME, COM) are not dialogs; a dialog or message
// box is, visible or not yet.
void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                            DWORD) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(hwnd, &processId);
  if (object == OBJID_WINDOW && child == CHILDID_SELF && processId == s_watch.processId &&
      CWindow(hwnd).ClassName() == L"#32770")
    NoteWindow(hwnd, L"created");
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
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

CProcess CProcess::Start(const std::wstring& program, const std::wstring& arguments,
                         const std::wstring& folder, bool suspended) {
  CProcess process;
  std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  const std::wstring directory =
      folder.empty() ? program.substr(0, program.find_last_of(L'\\') + 1) : folder;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // No handles inherited: the program must not hold the driver's output open.
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info))
    return process;
  process.m_hProcess.reset(info.hProcess);
  process.m_hThread.reset(info.hThread);
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
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  const BYTE* parameters = nullptr;
  UNICODE_STRING remote{};
  SIZE_T read = 0;
  const HANDLE process = m_hProcess.get();
  if (!process ||
      ::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  &length) != 0 ||
      !::ReadProcessMemory(process,
                           reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kPebParameters,
                           &parameters, sizeof parameters, &read) ||
      !parameters ||
      !::ReadProcessMemory(process, parameters + kParamsCurrentDirectory, &remote, sizeof remote,
                           &read))
    return {};
  std::wstring text(remote.Length / sizeof(wchar_t), L'\0');
  if (!::ReadProcessMemory(process, remote.Buffer, text.data(), remote.Length, &read)) return {};
  return text;
}

std::vector<DWORD> FindProcesses(const std::wstring& fileName) {
  std::vector<DWORD> ids;
  ForEachProcess([&](const PROCESSENTRY32W& entry) {
    if (::CompareStringOrdinal(entry.szExeFile, -1, fileName.c_str(), -1, TRUE) == CSTR_EQUAL)
      ids.push_back(entry.th32ProcessID);
  });
  return ids;
}

std::wstring DescribeProcesses() {
  std::wstring description = L"processes:\n";
  ForEachProcess([&](const PROCESSENTRY32W& entry) {
    description += L"  pid " + std::to_wstring(entry.th32ProcessID) + L" (parent " +
                   std::to_wstring(entry.th32ParentProcessID) + L") " + entry.szExeFile + L"\n";
  });
  return description;
}

CWatchResult RunWatchingWindows(const std::wstring& program, const std::wstring& arguments) {
  CWatchResult result;
  result.process = CProcess::Start(program, arguments, {}, true);
  if (!result.process) return result;
  s_watch = CWatchState{result.process.Id(), {}, {}};
  const HWINEVENTHOOK hook =
      ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, OnWindowEvent,
                        result.process.Id(), 0, WINEVENT_OUTOFCONTEXT);
  result.process.Resume();
  HANDLE handle = result.process.Handle();
  // Polling catches windows that a lost event would hide; the hook those
  // that live shorter than one poll. Once a window has shown, the answer
  // is known.
  for (const DWORD start = ::GetTickCount();
       s_watch.seen.empty() && !result.exited && ::GetTickCount() - start < kWaitMs;) {
    for (const CWindow& window : FindWindows(L"", result.process.Id()))
      NoteWindow(window.Handle(), L"visible");
    result.exited =
        ::MsgWaitForMultipleObjects(1, &handle, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0;
    PumpMessages();
  }
  // Events posted just before the end still arrive.
  for (const DWORD settle = ::GetTickCount(); ::GetTickCount() - settle < 100; ::Sleep(10))
    PumpMessages();
  if (hook) ::UnhookWinEvent(hook);
  result.windowShown = !s_watch.seen.empty();
  result.windows = s_watch.windows;
  return result;
}

}  // namespace e2e
