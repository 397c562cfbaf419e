// The settings text and the helpers it meets: table splitting, decoding,
// upper-casing, the name checks and the picture parser, each on the same
// bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzFile.h"
#include "package/Bitmap.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SettingsTable.h"
#include "package/SetupInfo.h"
#include "text/Cp932.h"

namespace {

std::string Le32(std::uint32_t value) {
  std::string out;
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
  return out;
}

// A package holding the input as "setting.csv" and as "filesize".
std::string WrapInPackage(std::string_view bytes) {
  const std::string names[] = {"setting.csv", "filesize"};
  const std::size_t dataStart = 8 + (9 + names[0].size()) + (9 + names[1].size());
  std::string out = "ARC1" + Le32(2);
  for (const std::string& name : names) {
    out += Le32(static_cast<std::uint32_t>(dataStart)) + Le32(static_cast<std::uint32_t>(bytes.size()));
    out.push_back(static_cast<char>(name.size()));
    out += name;
  }
  out.append(bytes.data(), bytes.size());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  CSettingsTable table;
  table.Load(bytes);
  const int keyColumn = table.FindColumn("\x8D\x80\x96\xDA");
  for (int row = 0; row < table.GetRowCount(); ++row) {
    for (int column = -1; column <= keyColumn + 2; ++column) (void)table.GetCell(row, column, "x");
  }

  const std::wstring wide = text::DecodeCp932(bytes);
  if (wide.size() > bytes.size()) std::abort();
  const std::string upper = text::UpperCaseMemberName(bytes);
  if (upper.size() != bytes.size() || text::UpperCaseMemberName(upper) != upper) std::abort();
  (void)text::FromUtf8(bytes);
  (void)text::ToUtf8(wide);
  (void)IsSafeRelativePath(wide);

  if (const std::optional<BitmapLayout> layout = ParseBitmap(bytes.data(), bytes.size())) {
    if (std::uint64_t{layout->pixelOffset} + layout->pixelBytes > size) std::abort();
  }

  const std::string package = WrapInPackage(bytes);
  if (!WriteFuzzFile(package.data(), package.size())) return 0;
  CPackageFile reader;
  if (!reader.OpenPackage(FuzzFilePath())) std::abort();
  SetupInfo info;
  if (!LoadSettings(reader, info) || !LoadFileSizes(reader, info)) std::abort();
  (void)FindUnsafeName(info);
  return 0;
}
