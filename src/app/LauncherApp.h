// The application: its whole life is the start-up sequence.
#pragma once

#include <windows.h>

class CLauncherApp {
 public:
  // Finds the source folder and makes it current, reads the package, then
  // either brings an open launcher of the same product to the front,
  // restarts from a temporary copy (several discs, no folder given; a copy
  // that cannot be made or started is told in a message), or shows the
  // launcher until it is closed. Every other failure ends silently.
  // Always FALSE: the application has no message loop of its own.
  BOOL InitInstance();

  // The process's exit code: a run without the launcher's fixed code (which
  // scripts and a waiting process read); else 0 after a launcher was shown
  // or handed on, a code below 100 for why start-up ended without one, or
  // the exit code of a relaunched copy that did not come up.
  DWORD ExitCode() const { return m_exitCode; }
  enum : DWORD {
    kNoSourceFolder = 10,
    kNoPackage = 11,
    kNoSettings = 12,
    kRefused = 13,
    kAlreadyOpen = 14,
    kNoWindow = 15,
    kNoTempCopy = 16,  // the temporary copy could not be made or started (told)
  };

 private:
  BOOL End(DWORD code) {
    m_exitCode = code;
    return FALSE;
  }

  DWORD m_exitCode = 0;
};
