// Any bytes as text, as a picture, and as the settings and sizes of a
// package read as start-up reads them.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "package/PackageWriter.h"
#include "package/Bitmap.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"
#include "text/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (text::DecodeCp932(bytes).size() > size || text::UpperCaseMemberName(bytes).size() != size)
    std::abort();
  const std::optional<BitmapLayout> layout = ParseBitmap(bytes.data(), size);
  if (layout && std::uint64_t{layout->pixelOffset} + layout->pixelBytes > size) std::abort();

  const std::vector<char> member(bytes.begin(), bytes.end());
  const std::optional<std::vector<char>> package =
      BuildPackage({{"setting.csv", member}, {"filesize", member}});
  CPackageFile reader;
  SetupInfo info;
  if (!package) return 0;  // 2 GiB or more
  if (!reader.OpenPackage(package->data(), package->size()) || !LoadSettings(reader, info) ||
      !LoadFileSizes(reader, info)) {
    std::abort();
  }
  (void)FindUnsafeName(info);
  return 0;
}
