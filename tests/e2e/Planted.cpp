// e2e_planted.dll: what a DLL planted beside setup.exe would run there. In
// a process, it appends "<itself> loaded into <program>" to
// planted-loaded.txt in the scenario's folder (E2E_WORK), which every
// scenario reads at its end (PlantedDllLoads).
#include <windows.h>

#include <string>

#include "text/Utf8.h"
#include "win/Handles.h"

namespace {

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH * 2] = {};
  return std::wstring(path, ::GetModuleFileNameW(module, path, MAX_PATH * 2));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  wchar_t work[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"E2E_WORK", work, MAX_PATH * 2);
  if (reason != DLL_PROCESS_ATTACH || length == 0 || length >= MAX_PATH * 2) return TRUE;
  const std::string line =
      text::ToUtf8(ModulePath(self) + L" loaded into " + ModulePath(nullptr) + L"\r\n");
  const win::UniqueFile log(::CreateFileW(
      (std::wstring(work, length) + L"\\planted-loaded.txt").c_str(), FILE_APPEND_DATA,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (log)
    (void)::WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  return TRUE;
}
