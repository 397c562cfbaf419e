// Other processes: command lines, administrator rights, a program started
// with them (the verb "runas") and waited for.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// One argument quoted so that CommandLineToArgvW gives it back unchanged:
// blanks survive, and a folder that ends in backslashes (a drive root such
// as Q:\) keeps them.
std::wstring QuoteArgument(const std::wstring& argument);

namespace win {

// True when the process runs with full administrator rights (elevated), or
// when the system cannot tell (it then knows no elevation either).
bool IsElevated();

// Starts program with parameters and folder as its current folder through
// the verb "runas" (Windows asks for rights where the caller has none) and
// waits for its end. While it runs, owner (when given) is disabled and
// keeps repainting: its thread's messages are dispatched. Returns the
// exit code; none when the program did not start, ERROR_CANCELLED in
// GetLastError when the user refused the rights.
std::optional<DWORD> RunElevatedAndWait(HWND owner, const std::wstring& program,
                                        const std::wstring& parameters,
                                        const std::wstring& folder);

}  // namespace win
