// setup.exe /repair [/S]: every listed file checked in the install folder,
// and those that are missing or differ restored from the sources.
#pragma once

#include <windows.h>

#include "app/Verbs.h"

class CUserChannel;

class CRepairVerb {
 public:
  CRepairVerb(const RunContext& run, CUserChannel& channel) : m_run(run), m_channel(channel) {}
  DWORD Run();

 private:
  // Where the files come from: started from the uninstall copy (the
  // entry's Modify), where the installation came from; otherwise the
  // source folder.
  std::wstring SourceFolder(const InstallFolder& installed) const;
  // Whether the installation's own package (its uninstall copy's) lists
  // other files, sizes or hashes than the one the run was started with.
  bool IsAnotherVersion(const InstallFolder& installed) const;

  const RunContext& m_run;
  CUserChannel& m_channel;
};
