// How a run without the launcher (the install, the repair, the removal)
// speaks with its person: in message boxes and the wizard (CBoxChannel), or,
// with /S, through its log and its exit code alone (CLogChannel). A verb
// says what happens; the channel says it, asks it, or decides it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "install/InstallPlan.h"
#include "win/Handles.h"

// How a copy ended: 0, or the exit code and the reason of its failure.
struct CopyOutcome {
  DWORD code = 0;
  std::wstring reason;
};

class CUserChannel {
 public:
  virtual ~CUserChannel() = default;

  // With windows, the wizard chooses the folder and copies; with a log, the
  // command line chooses and nothing is asked.
  virtual bool WithWindows() const = 0;

  // A message the person reads (with its caption); a log hears nothing of
  // it: the run's end names the reason.
  virtual void Tell(const std::wstring& text, const wchar_t* caption, UINT icon = 0) = 0;
  // A question whose No is the default; a run with a log goes on (Yes).
  virtual bool Confirm(const std::wstring& text, const wchar_t* caption, UINT defaultButton) = 0;
  // A step, for the log.
  virtual void Note(const std::wstring& line) = 0;
  // The run's exit code, and for a failure its reason: the log's last line.
  virtual DWORD End(DWORD code, const std::wstring& reason = {}) = 0;
  // The repair's check of folder: with windows, with a progress window.
  virtual std::vector<FileEntry> Check(const SetupInfo& info, const InstallFolder& folder) = 0;
  // Copies the plan's files: with windows in the wizard's copy page (which
  // asks for a disc that is not in) and its finish page, with a log asking
  // nothing, the first failure ending the copy.
  virtual CopyOutcome Copy(const InstallPlan& plan) = 0;
  // Restores the repair plan's files: with windows in the wizard's copy page
  // (which asks for a disc that is not in), with a log whatever the sources
  // hold, naming a disc whose files were not found.
  virtual CopyOutcome Restore(const InstallPlan& plan) = 0;
  // The run goes on in another process, which speaks itself: a log is
  // closed meanwhile, and taken up again by Resume.
  virtual void Pause() {}
  virtual void Resume() {}
  // Where the log goes; none with windows.
  virtual std::optional<std::wstring> LogPath() const { return std::nullopt; }
};

class CBoxChannel : public CUserChannel {
 public:
  explicit CBoxChannel(HBITMAP wizardPicture) : m_hWizardPicture(wizardPicture) {}

  bool WithWindows() const override { return true; }
  void Tell(const std::wstring& text, const wchar_t* caption, UINT icon) override;
  bool Confirm(const std::wstring& text, const wchar_t* caption, UINT defaultButton) override;
  void Note(const std::wstring&) override {}
  DWORD End(DWORD code, const std::wstring&) override { return code; }
  std::vector<FileEntry> Check(const SetupInfo& info, const InstallFolder& folder) override;
  CopyOutcome Copy(const InstallPlan& plan) override;
  CopyOutcome Restore(const InstallPlan& plan) override { return Copy(plan); }

 private:
  HBITMAP m_hWizardPicture;
};

// The log: %TEMP%\setup_<title>.log (LogFileName), or the one /log= names,
// written afresh from the moment it is made, one UTF-8 line per step; a
// temporary folder that was deleted is made again. Without a title nothing
// is written.
class CLogChannel : public CUserChannel {
 public:
  CLogChannel(const std::wstring& title, std::optional<std::wstring> path);

  // A log was asked for and could not be made: the run must not go on and
  // end without one.
  bool Failed() const { return !m_title.empty() && !m_file; }

  bool WithWindows() const override { return false; }
  void Tell(const std::wstring&, const wchar_t*, UINT) override {}
  bool Confirm(const std::wstring&, const wchar_t*, UINT) override { return true; }
  void Note(const std::wstring& line) override;
  // "done with exit code 0" or "failed with exit code N: reason": a script
  // finds it with grep "exit code".
  DWORD End(DWORD code, const std::wstring& reason) override;
  std::vector<FileEntry> Check(const SetupInfo& info, const InstallFolder& folder) override;
  CopyOutcome Copy(const InstallPlan& plan) override;
  CopyOutcome Restore(const InstallPlan& plan) override;
  void Pause() override { m_file.reset(); }
  void Resume() override;
  std::optional<std::wstring> LogPath() const override;

 private:
  bool Open(DWORD disposition);

  std::wstring m_title;
  std::optional<std::wstring> m_path;
  win::UniqueFile m_file;
};
