#include "launcher/LauncherDlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "install/InstallNames.h"
#include "install/Record.h"
#include "install/RunCopy.h"
#include "install/StartAgain.h"
#include "install/UninstallCopy.h"
#include "launcher/RemovalPrompts.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Processes.h"
#include "win/Paths.h"

CLauncherDlg::CLauncherDlg(const SetupInfo& info, std::wstring sourceFolder, Role role,
                           HBITMAP launcherPicture)
    : CDialog(IDD_LAUNCHER),
      m_info(info),
      m_strSourceFolder(std::move(sourceFolder)),
      m_role(role),
      m_hLauncherPicture(launcherPicture) {}

BOOL CLauncherDlg::OnInitDialog() {
  ShowPicture(IDC_PICTURE, m_hLauncherPicture);
  // The single-instance test of the start-up looks for exactly this caption.
  ::SetWindowTextW(Hwnd(), ui::LauncherCaption(m_info.title).c_str());
  if (!m_info.readmeFile.empty())
    ::SetWindowTextW(Item(IDC_README), ui::OpenReadmeText(m_info.readmeFile).c_str());
  // The commands that ask for rights say so, as everywhere in Windows.
  if (!win::IsElevated()) {
    for (const int id : {IDC_INSTALL, IDC_UNINSTALL}) ::SendMessageW(Item(id), BCM_SETSHIELD, 0, TRUE);
  }
  UpdateButtons();
  return TRUE;
}

void CLauncherDlg::UpdateButtons() {
  // An installation that never ended complete is gone on with or removed;
  // its game is not all there to start.
  const RecordedInstall record = ReadInstallRecord(m_info);
  ::EnableWindow(Item(IDC_INSTALL), !record.installed);
  ::EnableWindow(Item(IDC_UNINSTALL), record.installed || record.interrupted);
  ::EnableWindow(Item(IDC_START_GAME), record.installed);
  ::EnableWindow(Item(IDC_README), !m_info.readmeFile.empty());

  // A command that has just disabled its own button would leave the
  // keyboard focus nowhere.
  const HWND focus = ::GetFocus();
  if (focus && ::GetParent(focus) == Hwnd() && !::IsWindowEnabled(focus))
    ::SendMessageW(Hwnd(), WM_NEXTDLGCTL, 0, FALSE);
}

void CLauncherDlg::OnButtonClicked(int id) {
  switch (id) {
    case IDC_INSTALL:
      OnInstall();
      break;
    case IDC_UNINSTALL:
      OnUninstall();
      break;
    case IDC_DIRECTX:
      OnDirectX();
      break;
    case IDC_START_GAME:
      OnStartGame();
      break;
    case IDC_README:
      OnReadme();
      break;
    default:
      CDialog::OnButtonClicked(id);
      break;
  }
}

CommandLine CLauncherDlg::ElevatedCommand() const {
  CommandLine command;
  command.folder = m_strSourceFolder;
  command.role = Role::kElevated;
  return command;
}

void CLauncherDlg::RunWithRights(const CommandLine& command, const std::wstring& program) {
  StartRequest request;
  request.from = program.empty() ? ProgramForRights(m_role) : StartRequest::Program::kGiven;
  request.program = program;
  request.title = m_info.title;
  request.command = command;
  request.withRights = true;
  // Where it holds neither the disc nor the installation.
  request.folder = program.empty() ? m_strSourceFolder : TempFolder();
  request.owner = Hwnd();
  // Its exit code is not needed: finished, cancelled, abandoned or refused
  // rights (then nothing happened), the record tells what is installed.
  if (StartProgram(request).failure == StartResult::Failure::kNoCopy) {
    win::ShowMessage(Hwnd(), ui::TempCopyFailedText(TempFolder()), ui::kSetupCaption,
                     MB_OK | MB_ICONERROR);
  }
  UpdateButtons();
}

bool CLauncherDlg::PackageDiscIn() {
  while (!IsPackageOf(ReadPackageFile(m_strSourceFolder + kPackageFileName), m_info)) {
    if (win::ShowMessage(Hwnd(), ui::InsertDiscText(FirstDiscLabel(m_info)), ui::kInstallCaption,
                         MB_OKCANCEL) != IDOK)
      return false;
  }
  return true;
}

void CLauncherDlg::OnInstall() {
  CommandLine command = ElevatedCommand();
  command.install = true;
  if (PackageDiscIn()) RunWithRights(command);
}

void CLauncherDlg::OnUninstall() {
  // Asked here: a No costs no prompt for rights.
  if (!AskUninstall(Hwnd())) return;
  CommandLine command;
  command.uninstall = true;
  command.confirmed = true;
  // The removal runs from the uninstall copy, as from the system's list,
  // so that it needs no disc; without one, from the disc.
  const RecordedInstall record = ReadInstallRecord(m_info);
  if (record.folder &&
      IsPackageOf(ReadPackageFile(*record.folder / kUninstallPackage), m_info)) {
    RunWithRights(command, *record.folder / kUninstallProgram);
  } else if (PackageDiscIn()) {
    CommandLine fromDisc = ElevatedCommand();
    fromDisc.uninstall = true;
    fromDisc.confirmed = true;
    RunWithRights(fromDisc);
  }
}

void CLauncherDlg::OnDirectX() {
  const std::wstring disc = FirstDiscLabel(m_info);
  for (;;) {
    // Started in the source folder. Only a program that is not there means
    // another disc is wanted: the file or its folder is missing, or the
    // drive is empty. Other failures are not reported.
    const std::wstring program = m_strSourceFolder + L"directx\\dxsetup.exe";
    const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
        Hwnd(), L"open", program.c_str(), nullptr, m_strSourceFolder.c_str(), SW_SHOWNORMAL));
    if (result != SE_ERR_FNF && result != SE_ERR_PNF && result != ERROR_NOT_READY) return;
    if (win::ShowMessage(Hwnd(), ui::InsertDiscText(disc), ui::kInstallCaption, MB_OKCANCEL) !=
        IDOK)
      return;
  }
}

void CLauncherDlg::OnStartGame() {
  const RecordedInstall record = ReadInstallRecord(m_info);
  // Without a recorded folder (or a game) there is nothing to start.
  if (!record.folder || m_info.exeFile.empty()) return;
  const std::wstring& folder = record.folder->Path();
  // A game program that is gone (deleted, or a damaged installation) is
  // restored by the repair, from the disc, with rights.
  if (::GetFileAttributesW((folder + m_info.exeFile).c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (win::ShowMessage(Hwnd(), ui::kOfferRepair, ui::kRepairCaption, MB_YESNO) == IDYES &&
        PackageDiscIn()) {
      CommandLine command = ElevatedCommand();
      command.repair = true;
      RunWithRights(command);
    }
    return;
  }
  // A failure to start is not reported; the launcher stays as it was.
  (void)::ShellExecuteW(Hwnd(), L"open", (folder + m_info.exeFile).c_str(), nullptr, folder.c_str(),
                        SW_SHOWNORMAL);
}

void CLauncherDlg::OnReadme() {
  if (m_info.readmeFile.empty()) return;
  // Opens with the program registered for the document's type; a failure
  // is not reported.
  const std::wstring readme = m_strSourceFolder + m_info.readmeFile;
  (void)::ShellExecuteW(Hwnd(), L"open", readme.c_str(), nullptr, m_strSourceFolder.c_str(),
                        SW_SHOWNORMAL);
}
