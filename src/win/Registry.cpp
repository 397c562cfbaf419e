#include "win/Registry.h"

#include <algorithm>

#include "win/Handles.h"

namespace {

// The record's buffer: MAX_PATH characters with the terminating zero. The
// limit is kept in characters, so a value of 259 characters and its zero
// reads whole and anything longer reads as the default, as it did when a
// character was a byte.
constexpr DWORD kMaxChars = MAX_PATH;

}  // namespace

std::wstring ReadRegString(HKEY root, const std::wstring& keyPath, const wchar_t* valueName,
                           const std::wstring& defaultText) {
  // An empty path would open the root itself: no record lives there.
  if (keyPath.empty()) return defaultText;

  // Full access although only a read follows: a user who could not write
  // the record counts as one for whom the product is not installed.
  win::UniqueKey key;
  if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
    return defaultText;

  wchar_t buffer[kMaxChars] = {};
  DWORD type = 0;
  DWORD bytes = sizeof buffer;
  if (::RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                         &bytes) != ERROR_SUCCESS ||
      type != REG_SZ)
    return defaultText;

  // The stored data need not end in a zero: take the text up to the first
  // zero within what was returned, never past it.
  const wchar_t* const begin = buffer;
  const wchar_t* const end = buffer + bytes / sizeof(wchar_t);
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

  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), valueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}
