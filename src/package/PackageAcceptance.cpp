#include "package/PackageAcceptance.h"

#include <utility>

#include "package/SetupInfo.h"

PackageAcceptance AcceptPackage(CPackageFile& package, SetupInfo& info) {
  if (!LoadSettings(package, info)) return {PackageRefusal::kNoSettings, std::nullopt};
  if (!LoadFileSizes(package, info)) return {PackageRefusal::kNoFileSizes, std::nullopt};
  if (std::optional<UnsafeName> unsafe = FindUnsafeName(info))
    return {PackageRefusal::kUnsafeName, std::move(unsafe)};
  LoadFileHashes(package, info);
  return {};
}
