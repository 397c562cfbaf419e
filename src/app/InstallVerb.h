// setup.exe /install (the wizard, without the launcher) and setup.exe /S
// [/D=<folder>] (no window: the folder from the command line).
#pragma once

#include <windows.h>

#include "app/Verbs.h"

class CUserChannel;

class CInstallVerb {
 public:
  // wizardPicture (may be null) is the wizard's.
  CInstallVerb(const RunContext& run, CUserChannel& channel, HBITMAP wizardPicture)
      : m_run(run), m_channel(channel), m_hWizardPicture(wizardPicture) {}
  DWORD Run();

 private:
  DWORD WithWizard();
  DWORD Unattended();

  const RunContext& m_run;
  CUserChannel& m_channel;
  HBITMAP m_hWizardPicture;
};
