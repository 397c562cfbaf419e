#include "launcher/RemovalPrompts.h"

#include "install/InstallNames.h"
#include "install/Removal.h"
#include "res/Texts.h"
#include "win/Dialog.h"

bool AskUninstall(HWND owner) {
  return win::ShowMessage(owner, ui::kAskUninstall, ui::kUninstallCaption,
                          MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void TellUninstallResult(HWND owner, const SetupInfo& info, const UninstallResult& result) {
  if (result.filesLeft != 0) {
    // The record stays: Uninstall remains offered for another try.
    win::ShowMessage(owner, ui::UninstallLeftText(result.filesLeft, result.firstLeft),
                     ui::kUninstallCaption, MB_OK | MB_ICONWARNING);
  } else if (result.recordKeyLeft || !result.entryKeyLeft.empty()) {
    const std::wstring key =
        result.recordKeyLeft ? InstallRecordKeyPath(info) : result.entryKeyLeft;
    win::ShowMessage(owner, ui::RecordKeyLeftText(L"HKEY_LOCAL_MACHINE\\" + key),
                     ui::kUninstallCaption, MB_OK | MB_ICONWARNING);
  } else if (!result.copyLeft.empty()) {
    win::ShowMessage(owner, ui::FileLeftText(result.copyLeft), ui::kUninstallCaption,
                     MB_OK | MB_ICONWARNING);
  } else {
    win::ShowMessage(owner, ui::kUninstalled, ui::kUninstallCaption, MB_OK);
  }
}
