#include "launcher/RemovalPrompts.h"

#include "res/Texts.h"
#include "win/Dialog.h"

bool AskUninstall(HWND owner) {
  return win::ShowMessage(owner, ui::kAskUninstall, ui::kUninstallCaption,
                          MB_YESNO | MB_DEFBUTTON2) == IDYES;
}
