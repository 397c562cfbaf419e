#include "wizard/DirPage.h"

#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "install/InstallFolder.h"
#include "install/InstallNames.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Shell.h"

CDirPage::CDirPage(const SetupInfo& info, std::optional<InstallFolder>& folder, HBITMAP picture)
    : CPropertyPage(IDD_DIR_PAGE),
      m_info(info),
      m_chosen(folder),
      m_hPicture(picture),
      m_strFolder(folder ? FolderForDisplay(folder->Path())
                         : DefaultInstallFolder(GetSpecialFolderPath(CSIDL_PROGRAM_FILES), info)) {}

BOOL CDirPage::OnInitDialog() {
  // Setting the text updates the free-space text through EN_CHANGE.
  ::SetDlgItemTextW(Hwnd(), IDC_FOLDER_EDIT, m_strFolder.c_str());
  ShowPicture(IDC_PICTURE, m_hPicture);
  UpdateFreeSpaceText();
  return TRUE;
}

void CDirPage::OnButtonClicked(int id) {
  if (id == IDC_BROWSE) {
    OnBrowse();
  } else {
    CPropertyPage::OnButtonClicked(id);
  }
}

void CDirPage::OnControlNotify(int id, int code) {
  if (id == IDC_FOLDER_EDIT && code == EN_CHANGE) UpdateFreeSpaceText();
}

std::wstring CDirPage::FolderText() const {
  const HWND edit = Item(IDC_FOLDER_EDIT);
  std::vector<wchar_t> text(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1);
  const int length = ::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
  return std::wstring(text.data(), static_cast<std::size_t>(std::max(length, 0)));
}

void CDirPage::UpdateFreeSpaceText() {
  const std::wstring queryPath = FreeSpaceQueryPath(FolderText());
  m_freeBytes = 0;
  ULARGE_INTEGER available{};
  if (::GetDiskFreeSpaceExW(queryPath.c_str(), &available, nullptr, nullptr)) {
    m_freeBytes = available.QuadPart;
  }
  const std::wstring text = ui::SpaceText(BytesToInstall(m_info), queryPath, m_freeBytes);
  ::SetDlgItemTextW(Hwnd(), IDC_SPACE_TEXT, text.c_str());
}

int CALLBACK CDirPage::BrowseCallbackProc(HWND hwnd, UINT message, LPARAM /*parameter*/,
                                          LPARAM data) {
  // Opens the browser on the folder the edit held.
  if (message == BFFM_INITIALIZED) ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

void CDirPage::OnBrowse() {
  const std::wstring current = FolderText();
  BROWSEINFOW browse{};
  browse.hwndOwner = Hwnd();
  browse.lpszTitle = ui::kChooseFolder;
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = &CDirPage::BrowseCallbackProc;
  browse.lParam = reinterpret_cast<LPARAM>(current.c_str());
  const UniqueItemList items(::SHBrowseForFolderW(&browse));
  if (!items) return;  // cancelled
  const std::wstring picked = PathFromItemList(items.get());
  if (picked.empty()) return;
  // The pick is the parent: maker and title always go below it.
  const std::wstring folder = ProductFolderIn(picked, m_info);
  ::SetDlgItemTextW(Hwnd(), IDC_FOLDER_EDIT, folder.c_str());
}

BOOL CDirPage::OnSetActive() {
  SetWizardButtons(PSWIZB_NEXT);
  return TRUE;
}

BOOL CDirPage::OnWizardNext() {
  const InstallFolderChoice choice = ChooseInstallFolder(FolderText(), m_info.files);
  if (choice.refusal == FolderRefusal::kNotFull) {
    win::ShowMessage(Hwnd(), ui::kNeedFullFolder, ui::kInstallCaption, MB_OK);
    return FALSE;
  }
  // The plain folder is shown, so that the refusal and the space check
  // (through EN_CHANGE) speak of the folder that would be used.
  ::SetDlgItemTextW(Hwnd(), IDC_FOLDER_EDIT, FolderForDisplay(choice.folder->Path()).c_str());
  if (choice.refusal == FolderRefusal::kTooLong) {
    win::ShowMessage(Hwnd(), ui::FolderTooLongText(choice.maxChars), ui::kInstallCaption, MB_OK);
    return FALSE;
  }
  if (m_freeBytes < BytesToInstall(m_info) &&
      win::ShowMessage(Hwnd(), ui::kSpaceShort, ui::kInstallCaption, MB_YESNO) != IDYES) {
    return FALSE;
  }
  m_chosen = choice.folder;
  m_strFolder = FolderText();
  return TRUE;
}

BOOL CDirPage::OnQueryCancel() {
  return win::ShowMessage(Hwnd(), ui::kAskAbort, ui::kAbortCaption, MB_YESNO | MB_DEFBUTTON2) ==
         IDYES;
}
