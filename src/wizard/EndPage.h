// The wizard's last page: the installation is complete.
#pragma once

#include <windows.h>

#include "win/PropertyPage.h"

class CEndPage : public win::CPropertyPage {
 public:
  // The picture is borrowed.
  explicit CEndPage(HBITMAP picture);

 protected:
  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;

 private:
  HBITMAP m_hPicture;
};
