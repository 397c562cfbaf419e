// The modal dialog base of the launcher and the wizard pages: one static
// dialog procedure finds the object and forwards to virtual functions.
#pragma once

#include <windows.h>

#include <string>

#include "win/Picture.h"

namespace win {

class CDialog {
 public:
  explicit CDialog(UINT templateId) : m_templateId(templateId) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog on its template from this program's resources, owned by
  // owner (null: none). Unless it placed itself, it appears centred over its
  // owner while that is shown, else on its screen. Returns the value given
  // to EndDialog, or -1 when the dialog could not be made.
  INT_PTR DoModal(HWND owner = nullptr);

  // The window while it exists, else null.
  HWND Hwnd() const { return m_hWnd; }
  HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
  UINT TemplateId() const { return m_templateId; }
  void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

  // The dialog procedure of a property page: put it in
  // PROPSHEETPAGEW::pfnDlgProc and the page object (derived from CDialog)
  // in PROPSHEETPAGEW::lParam. Pages are not centred and not ended through
  // EndDialog: the sheet owns them.
  static INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // TRUE: the dialog manager gives the focus to the first tab stop; FALSE:
  // the handler has set the focus itself.
  virtual BOOL OnInitDialog() { return TRUE; }
  // A button pressed (BN_CLICKED; also Enter as IDOK, Esc and the close box
  // as IDCANCEL). The default sends IDOK to OnOK and IDCANCEL to OnCancel;
  // overrides pass the ids they do not handle on to it.
  virtual void OnButtonClicked(int id);
  // Any other notification of a control through WM_COMMAND (EN_CHANGE).
  virtual void OnControlNotify(int /*id*/, int /*code*/) {}
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Every other message. The result is the dialog procedure's: FALSE lets
  // the dialog manager do its default; for messages whose answer travels in
  // DWLP_MSGRESULT (WM_NOTIFY) return SetMsgResult(answer).
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Stores the answer to the message being handled and returns TRUE.
  INT_PTR SetMsgResult(LONG_PTR result);

  // Turns control controlId (a black rectangle in the template) into a
  // bitmap static showing picture at the window's scale, scaled again when
  // the window's DPI changes. The dialog only borrows the bitmap: the caller
  // keeps it alive while the dialog exists and deletes it afterwards. A null
  // picture leaves the area empty.
  void ShowPicture(int controlId, HBITMAP picture) { m_picture.Show(Item(controlId), picture); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR Dispatch(CDialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);
  void CenterIfUnmoved(const RECT& before);

  UINT m_templateId;
  HWND m_hWnd = nullptr;
  bool m_modal = false;
  CPicture m_picture;
};

// A message box (type: MB_...) owned by owner, or by owner's top-level
// window when owner is a child (a wizard page: the sheet); null: none.
// Call it on owner's thread, the user interface's. Returns the button's id,
// 0 when the box could not be shown.
int ShowMessage(HWND owner, const std::wstring& text, const wchar_t* caption, UINT type);

}  // namespace win
