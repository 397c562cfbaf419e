// The relaunch of a multi-disc product: the launcher runs from a copy in
// the temporary folder, so that the first disc can leave the drive.
#pragma once

#include <windows.h>

#include <string>

// Copies the running program into a new run folder (CRunCopy) in the
// system's temporary folder, made when it is missing, starts the copy with
// sourceFolder as its first argument (and switches, as given, after it) and
// waits until it is up, or with untilEnd until it has ended and its folder
// is gone. A copy still running when this returns keeps its folder: the
// launcher's copy marks it for deletion at restart where it has the rights
// (ScheduleRunCopyRemoval), and the next start's sweep (SweepRunFolders)
// takes it otherwise. Returns the
// exit code of a copy that ended (0 when it is up and untilEnd is false); a
// copy that could not be made or started, or whose end could not be awaited,
// gives ERROR_... codes of the system, and started (when given) tells the
// cases apart.
DWORD RelaunchFromTempCopy(const std::wstring& title, const std::wstring& sourceFolder,
                           const std::wstring& switches = {}, bool untilEnd = false,
                           bool* started = nullptr);
