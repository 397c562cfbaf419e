#include "wizard/InstallWizard.h"

#include "install/InstallPlan.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "win/CommonControls.h"
#include "win/PropertySheet.h"
#include "wizard/CopyPage.h"
#include "wizard/DirPage.h"
#include "wizard/EndPage.h"

void RunInstallWizard(HWND owner, const SetupInfo& info, const InstallSources& sources,
                      std::optional<InstallFolder> proposed, HBITMAP wizardPicture) {
  // Without it the copy page has no bar; the sheet still runs.
  (void)win::InitCommonControlClasses(ICC_PROGRESS_CLASS);

  // Fresh pages on every run: the proposed folder again, new events. The
  // folder the first page chooses is the plan the copy page carries out.
  std::optional<InstallFolder> folder = std::move(proposed);
  CDirPage dirPage(info, folder, wizardPicture);
  CCopyPage copyPage([&] { return InstallPlanFor(info, *folder, sources); }, wizardPicture);
  CEndPage endPage(wizardPicture);
  win::CPropertySheet sheet(ui::kInstallCaption);
  sheet.AddPage(dirPage);
  sheet.AddPage(copyPage);
  sheet.AddPage(endPage);
  // Finished or cancelled alike: the caller reads the install record.
  sheet.DoModal(owner);
}

bool RunCopyWizard(HWND owner, const InstallPlan& plan, HBITMAP wizardPicture) {
  (void)win::InitCommonControlClasses(ICC_PROGRESS_CLASS);
  CCopyPage copyPage([&] { return plan; }, wizardPicture);
  CEndPage endPage(wizardPicture);
  // The copy page's machinery, its texts and caption included.
  win::CPropertySheet sheet(ui::kInstallCaption);
  sheet.AddPage(copyPage);
  sheet.AddPage(endPage);
  // Finished (positive) only after the copy page moved on: all restored.
  return sheet.DoModal(owner) > 0;
}
