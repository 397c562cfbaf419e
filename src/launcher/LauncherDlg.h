// The launcher: the product's picture and five commands (install, DirectX,
// start the game, uninstall, readme). The program's only main window.
#pragma once

#include <windows.h>

#include "win/Dialog.h"

struct SetupInfo;

class CLauncherDlg : public win::CDialog {
 public:
  // Borrows info and both pictures (either may be null) for the dialog's
  // lifetime; the wizard gets info and wizardPicture in turn.
  CLauncherDlg(SetupInfo& info, HBITMAP launcherPicture, HBITMAP wizardPicture);

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

  SetupInfo& m_info;
  HBITMAP m_hLauncherPicture;
  HBITMAP m_hWizardPicture;
};
