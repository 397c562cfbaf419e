#include "Process.h"

#include <tlhelp32.h>
#include <winternl.h>

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

}  // namespace

DWORD ParentProcessId(DWORD processId) {
  const win::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{sizeof entry};
  for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == processId) return entry.th32ParentProcessID;
  }
  return 0;
}

CProcess::~CProcess() { EndProcess(m_hProcess); }

CProcess& CProcess::operator=(CProcess&& other) noexcept {
  if (this != &other) {
    EndProcess(m_hProcess);
    m_hProcess = std::move(other.m_hProcess);
    m_id = std::exchange(other.m_id, 0);
  }
  return *this;
}

CProcess CProcess::Start(const std::wstring& program, const std::wstring& arguments) {
  CProcess process;
  std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION info{};
  // No handles inherited: the program must not hold the driver's output open.
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
    return process;
  ::CloseHandle(info.hThread);
  process.m_hProcess.reset(info.hProcess);
  process.m_id = info.dwProcessId;
  return process;
}

CProcess CProcess::Attach(DWORD processId) {
  CProcess process;
  process.m_hProcess.reset(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
  if (process.m_hProcess) process.m_id = processId;
  return process;
}

DWORD CProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  return m_hProcess && ::GetExitCodeProcess(m_hProcess.get(), &code) ? code : STILL_ACTIVE;
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

}  // namespace e2e
