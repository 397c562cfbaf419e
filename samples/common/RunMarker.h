// The sample programs prove that they ran, from where and started by whom,
// by leaving a marker file in their current directory: "exe=", "cwd=" and
// "parent=" (the starting process's id) lines, UTF-8.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

inline std::string SampleUtf8(const std::wstring& text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), length,
                      nullptr, nullptr);
  return bytes;
}

inline DWORD SampleParentId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  CloseHandle(snapshot);
  return parent;
}

inline bool WriteRunMarker(const wchar_t* markerName) {
  wchar_t exe[MAX_PATH * 4] = {};
  wchar_t cwd[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
  GetCurrentDirectoryW(MAX_PATH * 4, cwd);
  std::string content = "exe=" + SampleUtf8(exe) + "\r\ncwd=" + SampleUtf8(cwd) +
                        "\r\nparent=" + std::to_string(SampleParentId()) + "\r\n";
  std::FILE* file = _wfopen(markerName, L"wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && ok;
}
