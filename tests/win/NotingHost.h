// The run's host for the Windows tests: any question ends the run, every
// note is kept. beforeEntry, when set, runs once the uninstall copy is there.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/InstallRun.h"

class CNotingHost final : public CInstallHost {
 public:
  Choice SourceMissing(const FileEntry&, const std::vector<std::wstring>&) override {
    return Choice::kAbort;
  }
  Choice CopyFailed(const FileEntry&) override { return Choice::kAbort; }
  Choice ContentDiffers(const FileEntry&) override { return Choice::kAbort; }
  void RecordFailed() override {}
  void Note(const std::wstring& line) override {
    m_strNotes += line + L"\n";
    if (m_beforeEntry && line.rfind(L"uninstall copy ", 0) == 0) m_beforeEntry();
  }
  std::wstring m_strNotes;
  std::function<void()> m_beforeEntry;
};
