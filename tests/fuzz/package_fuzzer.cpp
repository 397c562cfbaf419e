// Any bytes as start-up reads them: as text, as a picture, as a package
// (index, every member, settings, sizes, pictures, names), and as the
// settings and sizes of a package the writer makes of them.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "package/Bitmap.h"
#include "package/PackageAcceptance.h"
#include "package/PackageFile.h"
#include "package/PackageWriter.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"
#include "text/Cp932.h"

namespace {

bool FitsIn(const std::vector<char>& member) {
  const std::optional<BitmapLayout> layout = ParseBitmap(member.data(), member.size());
  return !layout || std::uint64_t{layout->pixelOffset} + layout->pixelBytes <= member.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<char> member(bytes.begin(), bytes.end());
  if (text::DecodeCp932(bytes).size() > size || text::UpperCaseMemberName(bytes).size() != size ||
      !FitsIn(member)) {
    std::abort();
  }
  CPackageFile package;
  SetupInfo info;
  if (package.OpenPackage(data, size)) {
    // An opened index promises that every member lies inside the file.
    for (const PackageEntry& entry : std::vector<PackageEntry>(package.Entries())) {
      if (!package.LoadMember(entry.name)) std::abort();
    }
    (void)AcceptPackage(package, info);
    for (const char* name : {"setup.bmp", "install.bmp"}) {
      if (!FitsIn(package.LoadMember(name).value_or(std::vector<char>()))) std::abort();
    }
  }
  const std::optional<std::vector<char>> built =
      BuildPackage({{"setting.csv", member}, {"filesize", member}});
  if (!built) return 0;  // 2 GiB or more
  info = {};
  if (!package.OpenPackage(built->data(), built->size()) || !LoadSettings(package, info) ||
      !LoadFileSizes(package, info)) {
    std::abort();
  }
  (void)FindUnsafeName(info);
  return 0;
}
