#include "install/Removal.h"

#include <memory>
#include <optional>

#include "install/InstallNames.h"
#include "install/InstallRun.h"
#include "install/Record.h"
#include "install/Shortcuts.h"
#include "install/UninstallCopy.h"
#include "install/UninstallEntry.h"
#include "install/Verify.h"
#include "package/ContentHash.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"
#include "win/Files.h"
#include "win/Handles.h"
#include "win/Paths.h"

namespace {

bool CanRead(const std::wstring& path) {
  return static_cast<bool>(win::UniqueFile(::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, 0, nullptr)));
}

}  // namespace

UninstallResult UninstallProduct(const SetupInfo& info,
                                 const std::optional<InstallFolder>& installed,
                                 const std::function<void(const std::wstring&)>& note,
                                 RemovalOf what) {
  const auto tell = [&](const std::wstring& line) {
    if (note) note(line);
  };
  UninstallResult result;
  if (InstallRecordKeyPath(info).empty()) return result;  // such a product never had a record

  // The files go only relative to the recorded folder; without one (another
  // launcher removed the product meanwhile) the links and the key still go.
  const bool haveFolder = installed.has_value();
  const std::wstring folder = haveFolder ? installed->Path() : std::wstring();
  if (haveFolder) {
    CContentHasher hasher;
    std::unique_ptr<char[]> buffer(what == RemovalOf::kInterrupted ? new char[kInstallChunkBytes]
                                                                   : nullptr);
    const auto left = [&](const std::wstring& path) {
      tell(L"left " + path + L" (in use)");
      if (result.filesLeft++ == 0) result.firstLeft = path;
    };
    for (const FileEntry& file : info.files) {
      // A copy cut short when a run was ended from outside.
      if (!DeleteFileAndEmptyParents(folder, file.name + kPartialSuffix))
        left(folder + file.name + kPartialSuffix);
      const std::wstring path = ExtendedPath(folder + file.name);
      // Not there, or readable and not the run's: it stays. One that cannot
      // be read may be the run's, held open: left, as in use.
      if (buffer && !FileIsAsListed(path, file, hasher, buffer.get(), {}) &&
          (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES || CanRead(path)))
        continue;
      if (DeleteFileAndEmptyParents(folder, file.name)) {
        tell(L"removed " + folder + file.name);
        continue;
      }
      left(folder + file.name);
    }
  }
  RemoveProductLinks(info);

  // With files left, the record, the uninstall copy and the Apps & features
  // entry stay, so the removal is offered again.
  if (result.filesLeft != 0) return result;
  if (haveFolder) result.copyLeft = RemoveUninstallCopy(info, folder, tell).value_or(L"");
  // The key the record names: the one the installation wrote.
  if (const std::optional<CUninstallEntry> entry = CUninstallEntry::Recorded(info);
      entry && !entry->Delete())
    result.entryKeyLeft = entry->KeyPath();
  // A key that stays is still told, not passed over.
  result.recordKeyLeft = !DeleteInstallRecord(info);
  tell(L"removed the links, the uninstall copy, the Apps & features entry and the record");
  return result;
}
