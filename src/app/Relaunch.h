// The relaunch of a multi-disc product: the launcher runs from a copy in
// the temporary folder, so that the first disc can leave the drive.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// tempFolder (with a backslash added when it lacks one) + name; nullopt
// when name would leave tempFolder or name something other than a plain
// file in it (separators, a drive or stream colon, wildcard or control
// characters, a device name).
std::optional<std::wstring> TempFilePath(const std::wstring& tempFolder, const std::wstring& name);

// TempFilePath of the program's copy for title (TempProgramName); nullopt
// also when no name for it fits tempFolder.
std::optional<std::wstring> TempCopyPath(const std::wstring& tempFolder, const std::wstring& title);

// Copies the running program over TempCopyPath(the system's temporary
// folder, made when it is missing, title), read-only or not, starts the copy
// with sourceFolder as its first argument (and switches, as given, after it)
// and waits until it is up, or with untilEnd until it has ended. Returns the
// exit code of a copy that ended (0 when it is up and untilEnd is false); a
// copy that could not be made or started, or whose end could not be awaited,
// gives ERROR_... codes of the system, and started (when given) tells the
// cases apart.
DWORD RelaunchFromTempCopy(const std::wstring& title, const std::wstring& sourceFolder,
                           const std::wstring& switches = {}, bool untilEnd = false,
                           bool* started = nullptr);
