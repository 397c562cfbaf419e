// Registry values: reading a text at any length, writing texts and numbers.
#pragma once

#include <windows.h>

#include <string>

// The stored REG_SZ text, whatever its length, or defaultText when the key
// cannot be opened or the value is missing or of another type.
std::wstring ReadRegString(HKEY root, const std::wstring& keyPath, const wchar_t* valueName,
                           const std::wstring& defaultText);

// Creates or opens the key (with every missing key above it) and stores text
// as REG_SZ with its terminating zero. Returns the status of opening the key.
LONG WriteRegString(HKEY root, const std::wstring& keyPath, const wchar_t* valueName,
                    const std::wstring& text);

// Stores text as REG_SZ with its terminating zero in an open key.
LONG SetRegString(HKEY key, const wchar_t* valueName, const std::wstring& text);

// Stores value as REG_DWORD in an open key.
LONG SetRegDword(HKEY key, const wchar_t* valueName, DWORD value);
