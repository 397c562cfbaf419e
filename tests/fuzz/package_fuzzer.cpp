// The package as start-up reads it: index, every member, the settings, the
// sizes and the pictures, then the name checks.
#include <cstdint>
#include <cstdlib>

#include "package/Bitmap.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CPackageFile package;
  if (!package.OpenPackage(data, size)) return 0;
  // An opened index promises that every member lies inside the file.
  for (const PackageEntry& entry : std::vector<PackageEntry>(package.Entries())) {
    if (!package.LoadMember(entry.name)) std::abort();
  }
  SetupInfo info;
  if (LoadSettings(package, info) && LoadFileSizes(package, info)) (void)FindUnsafeName(info);
  for (const char* name : {"setup.bmp", "install.bmp"}) {
    const std::optional<std::vector<char>> picture = package.LoadMember(name);
    const std::optional<BitmapLayout> layout =
        picture ? ParseBitmap(picture->data(), picture->size()) : std::nullopt;
    if (layout && std::uint64_t{layout->pixelOffset} + layout->pixelBytes > picture->size())
      std::abort();
  }
  return 0;
}
