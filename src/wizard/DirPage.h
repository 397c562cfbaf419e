// The wizard's first page: where to install, with the space it needs and
// the space the drive has.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "install/InstallFolder.h"
#include "win/PropertyPage.h"

struct SetupInfo;

class CDirPage : public win::CPropertyPage {
 public:
  // Proposes folder when it holds one, else the default; the one chosen is
  // put in folder on Next.
  // The picture is borrowed.
  CDirPage(const SetupInfo& info, std::optional<InstallFolder>& folder, HBITMAP picture);

 protected:
  BOOL OnInitDialog() override;
  void OnButtonClicked(int id) override;
  void OnControlNotify(int id, int code) override;
  BOOL OnSetActive() override;
  BOOL OnWizardNext() override;
  BOOL OnQueryCancel() override;

 private:
  void OnBrowse();
  void UpdateFreeSpaceText();
  std::wstring FolderText() const;
  static int CALLBACK BrowseCallbackProc(HWND hwnd, UINT message, LPARAM parameter, LPARAM data);

  const SetupInfo& m_info;
  std::optional<InstallFolder>& m_chosen;
  HBITMAP m_hPicture;
  std::wstring m_strFolder;
  std::uint64_t m_freeBytes = 0;
};
