#include "IconFile.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string_view>

#include "package/Bitmap.h"
#include "package/ByteOrder.h"

namespace {

constexpr std::size_t kDirectoryHeader = 6;  // reserved, type, image count
constexpr std::size_t kDirectoryEntry = 16;
constexpr std::uint16_t kIconType = 1;

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kChunkFrame = 12;  // length, type, CRC
constexpr std::uint32_t kIhdrSize = 13;
constexpr std::uint32_t kPngMaxValue = 0x7FFFFFFF;  // lengths, width, height

bool IsPngDimension(std::uint32_t value) { return value != 0 && value <= kPngMaxValue; }

// The chunks from the signature on: IHDR first, each within the image with
// its CRC right, some IDAT, and IEND last. Bytes after IEND are never read.
bool IsWholePng(const unsigned char* image, std::size_t size) {
  bool first = true;
  bool pixels = false;
  for (std::size_t at = sizeof kPngSignature; size - at >= kChunkFrame;) {
    const std::uint32_t length = BigEndian32(image + at);
    if (length > kPngMaxValue || length > size - at - kChunkFrame) return false;
    const unsigned char* type = image + at + 4;
    const unsigned char* data = type + 4;
    if (crc32(0, type, 4 + length) != BigEndian32(data + length)) return false;
    const std::string_view name(reinterpret_cast<const char*>(type), 4);
    if ((name == "IHDR") != first) return false;
    if (first && (length != kIhdrSize || !IsPngDimension(BigEndian32(data)) ||
                  !IsPngDimension(BigEndian32(data + 4))))
      return false;
    if (name == "IEND") return pixels && length == 0;
    pixels = pixels || name == "IDAT";
    first = false;
    at += kChunkFrame + length;
  }
  return false;
}

// An uncompressed bitmap, bottom-up, its height that of the picture and the
// mask together: the header, its colour table, the picture and the 1-bit
// mask follow one another, rows padded to 32 bits.
bool IsWholeBitmap(const unsigned char* image, std::size_t size) {
  if (size < kBitmapInfoHeaderSize) return false;
  const auto [headerSize, width, height, planes, bitCount, compression, colorsUsed] =
      ReadBitmapInfoHeader(image);
  if (headerSize < kBitmapInfoHeaderSize || width <= 0 || height <= 0 || height % 2 != 0 ||
      planes != 1 || !IsBitmapBitCount(bitCount) || compression != kBiRgb)
    return false;
  // Up to 8 bits a pixel the table has an entry for each value unless
  // colorsUsed says fewer; above, the colorsUsed entries (at most 256), if
  // any.
  const std::uint64_t maxColors = bitCount <= 8 ? std::uint64_t{1} << bitCount : 256;
  if (colorsUsed > maxColors) return false;
  const std::uint64_t colors = colorsUsed != 0 ? colorsUsed : bitCount <= 8 ? maxColors : 0;
  const std::uint64_t rows = static_cast<std::uint64_t>(height) / 2;
  const auto columns = static_cast<std::uint64_t>(width);
  const std::uint64_t required = headerSize + colors * 4 +
                                 rows * BitmapRowBytes(columns, bitCount) +
                                 rows * BitmapRowBytes(columns, 1);  // < 2^40
  return required <= size;
}

bool IsWholeImage(const unsigned char* image, std::size_t size) {
  const bool png =
      size >= sizeof kPngSignature && std::memcmp(image, kPngSignature, sizeof kPngSignature) == 0;
  return png ? IsWholePng(image, size) : IsWholeBitmap(image, size);
}

}  // namespace

// The directory's width, height and colour count of an image only choose
// among the images; what is shown is read as the image's own header says,
// so they are not held to it.
std::optional<std::string> IconFileFault(const std::vector<char>& file) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  const std::string notIcon = "is not an icon file (.ico)";
  if (file.size() < kDirectoryHeader || LittleEndian16(bytes) != 0 ||
      LittleEndian16(bytes + 2) != kIconType)
    return notIcon;
  const std::size_t count = LittleEndian16(bytes + 4);
  const std::size_t directoryEnd = kDirectoryHeader + count * kDirectoryEntry;
  if (count == 0 || file.size() < directoryEnd) return notIcon;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* entry = bytes + kDirectoryHeader + i * kDirectoryEntry;
    const std::uint64_t size = LittleEndian32(entry + 8);
    const std::uint64_t offset = LittleEndian32(entry + 12);
    if (offset < directoryEnd || offset + size > file.size() ||
        !IsWholeImage(bytes + offset, static_cast<std::size_t>(size)))
      return "is not a whole icon file (.ico): image " + std::to_string(i + 1) + " of " +
             std::to_string(count) + " is cut short or damaged";
  }
  return std::nullopt;
}
