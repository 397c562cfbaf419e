// A page of a wizard sheet: a dialog whose object the sheet's page
// description carries, with the sheet's notifications as virtual functions.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "win/Dialog.h"

namespace win {

class CPropertyPage : public CDialog {
 public:
  explicit CPropertyPage(UINT templateId) : CDialog(templateId) {}

  // The description PropertySheetW builds the page from: this program's
  // template, no help button, and this object in lParam for the dialog
  // procedure. The object must outlive the sheet.
  PROPSHEETPAGEW Describe();

 protected:
  // The sheet window: the page's parent, looked up at each use.
  HWND Sheet() const { return ::GetParent(Hwnd()); }

  // The wizard's buttons (PSWIZB_...; 0: Back and Next off). Posted: the
  // sheet sets its own button state while it activates a page, after
  // OnSetActive, and this must come later; what the page posts afterwards
  // is handled after it.
  void SetWizardButtons(DWORD buttons) const {
    ::PostMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
  }
  // Presses a button of the sheet (PSBTN_...) as the user would: posted, so
  // the sheet acts once the current message is done, through the same
  // notifications as a click.
  void PressButton(int button) const {
    ::PostMessageW(Sheet(), PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
  }
  // Shows Finish with text, Back and Next hidden. Sent: at once.
  void SetFinishText(const wchar_t* text) const {
    ::SendMessageW(Sheet(), PSM_SETFINISHTEXT, 0, reinterpret_cast<LPARAM>(text));
  }

  // The sheet's notifications, each asked once. TRUE: the page becomes the
  // current one; FALSE: the sheet skips it.
  virtual BOOL OnSetActive() { return TRUE; }
  // TRUE: Next (or Back) may leave the page; FALSE: the wizard stays on it.
  virtual BOOL OnWizardNext() { return TRUE; }
  virtual BOOL OnWizardBack() { return TRUE; }
  // TRUE: Finish may close the sheet; FALSE: it stays open.
  virtual BOOL OnWizardFinish() { return TRUE; }
  // TRUE: the sheet may close as cancelled; FALSE: it stays open.
  virtual BOOL OnQueryCancel() { return TRUE; }

  // The sheet owns the page: Enter and Esc never end it like a dialog.
  void OnOK() override {}
  void OnCancel() override {}

  // Pages that handle further messages pass the rest on to this one.
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  INT_PTR OnNotify(const NMHDR& header);
};

}  // namespace win
