// The two registry routines through which the install record is read and
// written.
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
