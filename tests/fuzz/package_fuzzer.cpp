// The package as start-up reads it: index, every member, the settings, the
// sizes and the pictures, then the name checks.
#include <cstdint>
#include <cstdlib>

#include "FuzzFile.h"
#include "package/Bitmap.h"
#include "package/InstallRecord.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!WriteFuzzFile(data, size)) return 0;
  CPackageFile package;
  if (!package.OpenPackage(FuzzFilePath())) return 0;

  // An opened index promises that every member lies inside the file; a
  // name is served by its first entry.
  const std::vector<PackageEntry> entries = package.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::optional<std::vector<char>> member = package.LoadMember(entries[i].name);
    if (!member) std::abort();
    std::size_t first = 0;
    while (entries[first].name != entries[i].name) ++first;
    if (member->size() != entries[first].size) std::abort();
  }

  SetupInfo info;
  if (LoadSettings(package, info)) {
    (void)LoadFileSizes(package, info);
    (void)FindUnsafeName(info);
    (void)InstallRecordKeyPath(info);
  }
  for (const char* name : {"setup.bmp", "install.bmp"}) {
    if (const std::optional<std::vector<char>> picture = package.LoadMember(name)) {
      if (const std::optional<BitmapLayout> layout = ParseBitmap(picture->data(), picture->size())) {
        if (std::uint64_t{layout->pixelOffset} + layout->pixelBytes > picture->size()) std::abort();
      }
    }
  }
  return 0;
}
