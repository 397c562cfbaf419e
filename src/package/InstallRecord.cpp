#include "package/InstallRecord.h"

#include "package/SetupInfo.h"

std::wstring InstallRecordKeyPath(const SetupInfo& info) {
  if (info.company.empty() || info.title.empty()) return {};
  return L"SOFTWARE\\" + info.company + L"\\" + info.title;
}
