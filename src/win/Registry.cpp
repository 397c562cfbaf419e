#include "win/Registry.h"

#include <algorithm>
#include <vector>

#include "win/Handles.h"

std::wstring ReadRegString(HKEY root, const std::wstring& keyPath, const wchar_t* valueName,
                           const std::wstring& defaultText) {
  // An empty path would open the root itself: no record lives there.
  if (keyPath.empty()) return defaultText;

  // Read access only: a launcher without administrator rights reads the
  // install record too.
  win::UniqueKey key;
  if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return defaultText;

  // Any length: a record written by hand or by an earlier version may be
  // longer than a path. The value may grow between the two queries.
  DWORD type = 0;
  DWORD bytes = 0;
  LONG status = ::RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &bytes);
  std::vector<wchar_t> buffer;
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    buffer.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    status = ::RegQueryValueExW(key.get(), valueName, nullptr, &type,
                                reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status == ERROR_SUCCESS) break;
  }
  if (status != ERROR_SUCCESS || type != REG_SZ) return defaultText;

  // The stored data need not end in a zero: take the text up to the first
  // zero within what was returned, never past it.
  const wchar_t* const begin = buffer.data();
  const wchar_t* const end = begin + bytes / sizeof(wchar_t);
  return std::wstring(begin, std::find(begin, end, L'\0'));
}

LONG WriteRegString(HKEY root, const std::wstring& keyPath, const wchar_t* valueName,
                    const std::wstring& text) {
  // An empty path would write into the root key itself.
  if (keyPath.empty()) return ERROR_INVALID_PARAMETER;

  win::UniqueKey key;
  const LONG status = ::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;

  return SetRegString(key.get(), valueName, text);
}

LONG SetRegString(HKEY key, const wchar_t* valueName, const std::wstring& text) {
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes);
}

LONG SetRegDword(HKEY key, const wchar_t* valueName, DWORD value) {
  return ::RegSetValueExW(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}
