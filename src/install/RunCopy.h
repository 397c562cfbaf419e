// What the program keeps in the user's temporary folder: the unattended
// run's log, and the copies of itself that it runs from there (the launcher
// of a multi-disc product, so that the first disc can leave the drive; the
// removal whose uninstall copy is to go; a process with rights started from
// such a copy). Each copy runs from a folder of its own (RunFolderName),
// made for that one run and holding nothing but the program: a folder that
// every program of the user may write to never holds a DLL beside it that
// was there before, and no run finds another's.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "win/Handles.h"

// tempFolder (with a backslash added when it lacks one) + name; nullopt
// when name would leave tempFolder or name something other than a plain
// file in it (separators, a drive or stream colon, wildcard or control
// characters, a device name).
std::optional<std::wstring> TempFilePath(const std::wstring& tempFolder, const std::wstring& name);

// True when program lies in a run folder directly in tempFolder.
bool IsRunCopy(const std::wstring& program, const std::wstring& tempFolder);

// A copy of the running program, TempProgramName(its folder, title), in a
// new run folder in tempFolder. The folder is held open, so that no sweep
// takes it, until the copy is let go; unless let go, the folder goes with
// this owner (once the copy's process has ended), or, when it cannot go at
// once, at the next restart where the rights allow and with the next
// start's SweepRunFolders otherwise.
class CRunCopy {
 public:
  // Null, with the system's code in error, when no copy could be made.
  static std::unique_ptr<CRunCopy> Make(const std::wstring& tempFolder, const std::wstring& title,
                                        DWORD& error);
  ~CRunCopy();
  CRunCopy(const CRunCopy&) = delete;
  CRunCopy& operator=(const CRunCopy&) = delete;

  const std::wstring& Program() const { return m_program; }
  // The copy's process runs on its own and outlives this owner: its folder
  // stays, for ScheduleRunCopyRemoval or the next SweepRunFolders.
  void LetGo();

 private:
  CRunCopy(std::wstring folder, win::UniqueFile hold)
      : m_folder(std::move(folder)), m_hold(std::move(hold)) {}

  std::wstring m_folder;  // ends in a backslash
  std::wstring m_program;
  win::UniqueFile m_hold;  // the folder, open without delete sharing; none once let go
};

// The run folders directly in tempFolder, each ending in a backslash: plain
// folders (no junction or link) with a run folder's name.
std::vector<std::wstring> RunFoldersIn(const std::wstring& tempFolder);

// Removes the run folders in tempFolder that are left from earlier runs:
// those no run holds and whose files (only copies of the program) can all
// be deleted; a copy that still runs cannot be, and its folder stays.
void SweepRunFolders(const std::wstring& tempFolder);

// Marks program, a run copy, and its folder for deletion at the next
// restart, for a copy that nobody removes after its end. Only a process
// with administrator rights may; without, SweepRunFolders takes them.
void ScheduleRunCopyRemoval(const std::wstring& program);
