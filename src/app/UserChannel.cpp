#include "app/UserChannel.h"

#include "app/ExitCodes.h"
#include "install/InstallNames.h"
#include "install/InstallRun.h"
#include "install/RunCopy.h"
#include "install/Verify.h"
#include "text/Utf8.h"
#include "win/Dialog.h"
#include "win/Files.h"
#include "win/Paths.h"
#include "wizard/CheckProgress.h"
#include "wizard/InstallWizard.h"

namespace {

// The unattended side of an installation: every file from the plan's
// sources, no question asked; the first failure ends the copy and says why.
class CSilentHost : public CInstallHost {
 public:
  explicit CSilentHost(CUserChannel& log) : m_log(log) {}

  Choice SourceMissing(const FileEntry& file, const std::vector<std::wstring>& searched) override {
    std::wstring where;
    for (const std::wstring& folder : searched)
      where += (where.empty() ? L"neither in " : L" nor in ") + folder;
    return Fail(kExitDiscMissing, L"the files of disc " + file.disc + L" were not found: " +
                                      file.name + L" is " + where);
  }
  Choice CopyFailed(const FileEntry& file) override {
    return Fail(kExitFailed, L"the copy of " + file.name + L" failed");
  }
  Choice ContentDiffers(const FileEntry& file) override {
    return Fail(kExitFailed, L"the content of " + file.name + L" (" + file.disc +
                                 L") differs from the package's; the copy was deleted");
  }
  void RecordFailed() override {
    (void)Fail(kExitFailed, L"the install record could not be written to the registry");
  }
  void Note(const std::wstring& line) override { m_log.Note(line); }

  CopyOutcome outcome{kExitFailed, L"the installation failed"};

 private:
  Choice Fail(DWORD failure, const std::wstring& why) {
    outcome = {failure, why};
    return Choice::kAbort;
  }

  CUserChannel& m_log;
};

}  // namespace

void CBoxChannel::Tell(const std::wstring& text, const wchar_t* caption, UINT icon) {
  win::ShowMessage(nullptr, text, caption, MB_OK | icon);
}

bool CBoxChannel::Confirm(const std::wstring& text, const wchar_t* caption, UINT defaultButton) {
  return win::ShowMessage(nullptr, text, caption, MB_YESNO | defaultButton) == IDYES;
}

std::vector<FileEntry> CBoxChannel::Check(const SetupInfo& info, const InstallFolder& folder) {
  return CheckWithProgress(nullptr, info, folder.Path());
}

CopyOutcome CBoxChannel::Copy(const InstallPlan& plan) {
  // The wizard told the person what went wrong.
  return {RunCopyWizard(nullptr, plan, m_hWizardPicture) ? kExitDone : kExitFailed, {}};
}

CLogChannel::CLogChannel(const std::wstring& title, std::optional<std::wstring> path)
    : m_title(title), m_path(std::move(path)) {
  if (m_title.empty()) return;
  CreateDirectoryChain(TempFolder());
  Open(CREATE_ALWAYS);
}

std::optional<std::wstring> CLogChannel::LogPath() const {
  if (m_title.empty()) return std::nullopt;
  if (m_path) return m_path;
  const std::wstring temp = TempFolder();
  return TempFilePath(temp, LogFileName(temp, m_title));
}

void CLogChannel::Note(const std::wstring& line) {
  const std::string bytes = text::ToUtf8(line) + "\r\n";
  DWORD written = 0;
  if (m_file)
    (void)::WriteFile(m_file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                      nullptr);
}

DWORD CLogChannel::End(DWORD code, const std::wstring& reason) {
  Note(code == kExitDone ? L"done with exit code 0"
                         : L"failed with exit code " + std::to_wstring(code) + L": " + reason);
  return code;
}

void CLogChannel::Resume() {
  if (!m_title.empty() && Open(OPEN_ALWAYS))
    (void)::SetFilePointer(m_file.get(), 0, nullptr, FILE_END);
}

bool CLogChannel::Open(DWORD disposition) {
  const std::optional<std::wstring> path = LogPath();
  if (path)
    m_file.reset(::CreateFileW(path->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(m_file);
}

std::vector<FileEntry> CLogChannel::Check(const SetupInfo& info, const InstallFolder& folder) {
  return DamagedFiles(info, folder.Path(), {});
}

CopyOutcome CLogChannel::Copy(const InstallPlan& plan) {
  CSilentHost host(*this);
  return RunInstall(plan, host) ? CopyOutcome{} : host.outcome;
}

CopyOutcome CLogChannel::Restore(const InstallPlan& plan) {
  // Whatever can be found is restored, and a disc whose files are not found
  // is named at the end.
  std::vector<FileEntry> found;
  const FileEntry* missing = nullptr;
  const std::vector<std::wstring> drives = CdromDriveRoots();
  for (const FileEntry& file : plan.files) {
    if (SourcesHold(plan.sources, file, drives)) {
      found.push_back(file);
    } else if (!missing) {
      missing = &file;
    }
  }
  const CopyOutcome copied = Copy(RepairPlanFor(plan.settings, plan.folder, plan.sources, found));
  if (copied.code != kExitDone) return copied;
  Note(L"restored " + std::to_wstring(found.size()) + L" of " + std::to_wstring(plan.files.size()) +
       L" files");
  if (!missing) return {};
  CSilentHost host(*this);
  std::vector<std::wstring> searched = plan.sources.OwnFoldersOf(*missing);
  for (std::wstring& folder : plan.sources.DriveFolders(drives))
    searched.push_back(std::move(folder));
  (void)host.SourceMissing(*missing, searched);
  return host.outcome;
}
