#include "text/Utf8.h"
#include "CommandSupport.h"

#include <algorithm>

#include "Console.h"
#include "package/PackageAcceptance.h"
#include "package/PackageFile.h"

int Fail(std::string_view message) {
  PrintErr("setuppack: " + std::string(message) + "\n");
  return 1;
}

std::string Quoted(std::wstring_view text) { return "\"" + text::ToUtf8(text) + "\""; }

std::string QuotedPath(const std::filesystem::path& path) { return "\"" + PathToUtf8(path) + "\""; }

bool OpenLikeLauncher(const std::filesystem::path& packagePath, CPackageFile& package,
                      SetupInfo& info) {
  if (!package.OpenPackage(packagePath)) {
    Fail(QuotedPath(packagePath) +
         " cannot be opened as a package (missing, unreadable, or damaged)");
    return false;
  }
  const PackageAcceptance acceptance = AcceptPackage(package, info);
  switch (acceptance.refusal) {
    case PackageRefusal::kNone:
      return true;
    case PackageRefusal::kNoSettings:
      Fail(QuotedPath(packagePath) +
           " has no member \"setting.csv\"; the launcher would not start");
      return false;
    case PackageRefusal::kNoFileSizes:
      Fail(QuotedPath(packagePath) + " has no member \"filesize\"; the launcher would not start");
      return false;
    case PackageRefusal::kUnsafeName:
      Fail(QuotedPath(packagePath) +
           " is refused by the launcher: " + text::ToUtf8(acceptance.unsafe->reason));
      return false;
  }
  return false;
}

const DiscFolder* FindDisc(const std::vector<DiscFolder>& discs, std::wstring_view label) {
  auto it = std::find_if(discs.begin(), discs.end(),
                         [label](const DiscFolder& disc) { return disc.label == label; });
  return it == discs.end() ? nullptr : &*it;
}

std::filesystem::path DiscFilePath(const std::filesystem::path& folder, std::wstring_view name) {
#ifdef _WIN32
  return folder / std::wstring(name);
#else
  std::wstring local(name);
  std::replace(local.begin(), local.end(), L'\\', L'/');
  return folder / text::ToUtf8(local);
#endif
}
