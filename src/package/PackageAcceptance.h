// Whether the launcher starts on a package: it must hold the settings and
// the sizes, and no name in them may reach outside its folder. One judgement
// for the launcher's start-up and for the publisher's tool, which tells the
// publisher what the launcher would refuse.
#pragma once

#include <optional>

#include "package/SafeNames.h"

class CPackageFile;
struct SetupInfo;

enum class PackageRefusal {
  kNone,         // accepted
  kNoSettings,   // no member "setting.csv"
  kNoFileSizes,  // no member "filesize"
  kUnsafeName,   // a name FindUnsafeName refuses
};

struct PackageAcceptance {
  PackageRefusal refusal = PackageRefusal::kNone;
  std::optional<UnsafeName> unsafe;  // set with kUnsafeName only
  bool Accepted() const { return refusal == PackageRefusal::kNone; }
};

// Reads an opened package into info as start-up does: the settings
// (LoadSettings), the sizes (LoadFileSizes), then judges the names
// (FindUnsafeName) and, once all is accepted, reads the hashes
// (LoadFileHashes). The first refusal ends the reading; info then holds
// what was read before it.
[[nodiscard]] PackageAcceptance AcceptPackage(CPackageFile& package, SetupInfo& info);
