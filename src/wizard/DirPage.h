// The wizard's first page: where to install, with the space it needs and
// the space the drive has.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "win/PropertyPage.h"

struct SetupInfo;

class CDirPage : public win::CPropertyPage {
 public:
  // Computes the default folder; info.installDir is written on Next. The
  // picture is borrowed.
  CDirPage(SetupInfo& info, HBITMAP picture);

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

  SetupInfo& m_info;
  HBITMAP m_hPicture;
  std::wstring m_strFolder;
  std::uint64_t m_freeBytes = 0;
};
