// The exit codes of the runs without the launcher (fixed: scripts depend on
// them).
#pragma once

#include <windows.h>

enum : DWORD {
  kExitDone = 0,
  kExitFailed = 1,       // package refused, space short, a copy or hash failed,
                         // the record not written, a listed file stayed, no log
  kExitUsage = 2,        // with /S: an unknown switch, /D= not a full path
  kExitDiscMissing = 3,  // a disc's files were not found
  kExitNothingToDo = 4,  // install when installed, uninstall or repair when not
};
