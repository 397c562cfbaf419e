// The one way a process of the program starts another: which program (this
// one, a fresh run copy of it, or the uninstall copy), with or without
// administrator rights, with a command line that states the new process's
// role, waited for until it ends or until it is up.
#pragma once

#include <windows.h>

#include <string>

#include "install/CommandLine.h"

struct StartRequest {
  enum class Program {
    kThis,     // the running program, where it is (the disc's)
    kRunCopy,  // a new copy in a run folder of its own, which goes after it
    kGiven,    // program, another copy (the uninstall copy)
  };
  Program from = Program::kRunCopy;
  std::wstring program;   // with kGiven
  std::wstring title;     // with kRunCopy: names the copy
  CommandLine command;    // its role included
  bool withRights = false;  // the verb "runas": Windows asks for rights where the caller has none
  bool untilEnd = true;     // else until it is up (its window loop runs); never with rights
  std::wstring folder;      // its current folder; empty: this one's
  HWND owner = nullptr;     // disabled, and repainting, while a program with rights runs
};

struct StartResult {
  enum class Failure {
    kNone,
    kNoCopy,      // no run copy could be made (nothing was started)
    kNotStarted,  // the system did not start it
    kRefused,     // the person refused the rights
    kLost,        // started, but its end could not be awaited
  };
  Failure failure = Failure::kNone;
  DWORD exitCode = 0;  // its exit code once ended; 0 while it runs on
  DWORD error = 0;     // the system's code of a failure
  bool Started() const { return failure == Failure::kNone || failure == Failure::kLost; }
};

// Starts the request's program. A run copy that has ended goes with its
// folder; one that runs on is let go (ScheduleRunCopyRemoval and
// SweepRunFolders take it later).
[[nodiscard]] StartResult StartProgram(const StartRequest& request);

// Where a process in role starts its process with rights from: the disc's
// program itself, anything else (a run copy, the uninstall copy, whose
// folder is to go) from a new run copy of its own.
StartRequest::Program ProgramForRights(Role role);
