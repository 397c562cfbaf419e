// The launcher: the product's picture and five commands (install, DirectX,
// start the game, uninstall, readme). It runs as the person who started it
// and writes nothing: Install and Uninstall run in a process of their own
// with rights, while what it starts itself (the game, the readme, DirectX)
// runs as that person.
#pragma once

#include <windows.h>

#include <string>

#include "install/CommandLine.h"
#include "win/Dialog.h"

struct SetupInfo;

class CLauncherDlg : public win::CDialog {
 public:
  // Borrows info and the picture (may be null) for the dialog's lifetime.
  // sourceFolder (full, ending in a backslash) holds the package, DirectX
  // and the readme; role is this process's.
  CLauncherDlg(const SetupInfo& info, std::wstring sourceFolder, Role role,
               HBITMAP launcherPicture);

  // Enables the commands from the install record: Install while it holds no
  // folder, Start and Uninstall while it does, readme when one is set.
  void UpdateButtons();

 protected:
  BOOL OnInitDialog() override;
  void OnButtonClicked(int id) override;
  // Enter with no button focused: the buttons never close the launcher.
  void OnOK() override {}

 private:
  void OnInstall();
  void OnUninstall();
  void OnDirectX();
  void OnStartGame();
  void OnReadme();
  // Runs command in a process with rights (from this program, or from
  // program when given, the uninstall copy); the launcher waits, disabled,
  // and then reads the record.
  void RunWithRights(const CommandLine& command, const std::wstring& program = {});
  // command with the source folder, for a process with rights of this
  // program's.
  CommandLine ElevatedCommand() const;
  // The process with rights reads the package where this one did: true
  // once the disc that holds it is in (the user is asked for it), false
  // when the user cancels.
  bool PackageDiscIn();

  const SetupInfo& m_info;
  std::wstring m_strSourceFolder;
  Role m_role;
  HBITMAP m_hLauncherPicture;
};
