// The copy page (the install wizard's second, the repair's first): the copy
// worker installs or restores the product's files, the record and the
// shortcuts, and the page shows its questions; then the page moves the
// wizard on to the finish page, or ends it as cancelled when the run was
// abandoned.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "install/InstallPlan.h"
#include "win/PropertyPage.h"
#include "wizard/CopyWorker.h"

class CCopyPage : public win::CPropertyPage {
 public:
  // makePlan gives the plan to carry out once the page becomes active, from
  // what the pages before it chose; what it refers to must outlive the
  // page. The picture is borrowed.
  CCopyPage(std::function<InstallPlan()> makePlan, HBITMAP picture);

 protected:
  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  BOOL OnQueryCancel() override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnWorkerDone(bool installed);

  std::function<InstallPlan()> m_makePlan;
  std::optional<InstallPlan> m_plan;  // read by the worker while it runs
  HBITMAP m_hPicture;
  CCopyWorker m_worker;
  // What Cancel does. kIdle: no run goes on (none has started, none could,
  // or it was abandoned), Cancel closes the sheet; kRunning: Cancel asks the
  // worker; kInstalled: the finish page is on its way, Cancel does nothing.
  enum class State { kIdle, kRunning, kInstalled } m_state = State::kIdle;
};
