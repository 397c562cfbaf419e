// The wizard's second page: the copy worker installs the product's files,
// the record and the shortcuts, then the page moves the wizard on.
#pragma once

#include <windows.h>

#include "win/PropertyPage.h"
#include "wizard/CopyWorker.h"

#include <vector>

struct FileEntry;
struct SetupInfo;

class CCopyPage : public win::CPropertyPage {
 public:
  // info (and repair, the damaged files a repair restores, when given) is
  // read by the worker and must outlive the page; the picture is borrowed.
  CCopyPage(const SetupInfo& info, HBITMAP picture,
            const std::vector<FileEntry>* repair = nullptr);

 protected:
  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  BOOL OnQueryCancel() override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnWorkerDone(bool installed);

  const SetupInfo& m_info;
  const std::vector<FileEntry>* m_repair;
  HBITMAP m_hPicture;
  CCopyWorker m_worker;
  // What Cancel does. kIdle: no run goes on (none has started, none could,
  // or it was abandoned), Cancel closes the sheet; kRunning: Cancel asks the
  // worker; kInstalled: the finish page is on its way, Cancel does nothing.
  enum class State { kIdle, kRunning, kInstalled } m_state = State::kIdle;
};
