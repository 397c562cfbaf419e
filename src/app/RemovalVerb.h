// setup.exe /uninstall [/S]: the removal, with the launcher's question and
// final message, or with a log.
#pragma once

#include <windows.h>

#include "app/Verbs.h"

class CUserChannel;
struct UninstallResult;

class CRemovalVerb {
 public:
  CRemovalVerb(const RunContext& run, CUserChannel& channel) : m_run(run), m_channel(channel) {}
  DWORD Run();

 private:
  // Started as the uninstall copy, whose folder is to go: the removal runs
  // from a run copy, which speaks itself; its exit code, none when it could
  // not be started.
  std::optional<DWORD> RunFromRunCopy(const InstallFolder& installed);
  // Tells the person what the removal did, and ends the run with its code.
  DWORD End(const UninstallResult& result);

  const RunContext& m_run;
  CUserChannel& m_channel;
};
