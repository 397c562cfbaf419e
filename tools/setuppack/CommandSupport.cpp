#include "text/Utf8.h"
#include "CommandSupport.h"

#include <algorithm>

#include "Console.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"

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
  if (!LoadSettings(package, info)) {
    Fail(QuotedPath(packagePath) + " has no member \"setting.csv\"; the launcher would not start");
    return false;
  }
  if (!LoadFileSizes(package, info)) {
    Fail(QuotedPath(packagePath) + " has no member \"filesize\"; the launcher would not start");
    return false;
  }
  if (std::optional<UnsafeName> unsafe = FindUnsafeName(info)) {
    Fail(QuotedPath(packagePath) + " is refused by the launcher: " + text::ToUtf8(unsafe->reason));
    return false;
  }
  return true;
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
