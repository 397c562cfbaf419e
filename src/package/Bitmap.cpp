#include "package/Bitmap.h"

#include "package/ByteOrder.h"

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint64_t kBitfieldMasksSize = 12;

}  // namespace

bool IsBitmapBitCount(std::uint16_t bitCount) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

std::uint64_t BitmapRowBytes(std::uint64_t width, std::uint16_t bitCount) {
  return ((width * bitCount + 31) & ~std::uint64_t{31}) / 8;
}

BitmapInfoHeader ReadBitmapInfoHeader(const unsigned char* info) {
  return {LittleEndian32(info),
          static_cast<std::int32_t>(LittleEndian32(info + 4)),
          static_cast<std::int32_t>(LittleEndian32(info + 8)),
          LittleEndian16(info + 12),
          LittleEndian16(info + 14),
          LittleEndian32(info + 16),
          LittleEndian32(info + 32)};
}

std::optional<BitmapLayout> ParseBitmap(const char* data, std::size_t size) {
  if (!data || size < kFileHeaderSize + kBitmapInfoHeaderSize) return std::nullopt;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  if (bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;

  const std::uint32_t pixelOffset = LittleEndian32(bytes + 10);
  const auto [headerSize, width, height, planes, bitCount, compression, colorsUsed] =
      ReadBitmapInfoHeader(bytes + kFileHeaderSize);
  (void)planes;  // a picture member has never been refused for it

  // Older BITMAPCOREHEADER pictures (12 bytes) are not accepted.
  if (headerSize < kBitmapInfoHeaderSize) return std::nullopt;
  if (!IsBitmapBitCount(bitCount)) return std::nullopt;
  // Bit fields exist only for 16 and 32 bits per pixel; anything else is
  // compressed.
  if (compression == kBiBitfields) {
    if (bitCount != 16 && bitCount != 32) return std::nullopt;
  } else if (compression != kBiRgb) {
    return std::nullopt;
  }
  if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;

  // Everything from here is computed in 64 bits: no product of header
  // fields can wrap.
  std::uint64_t required = headerSize;
  if (bitCount <= 8) {
    const std::uint64_t maxColors = std::uint64_t{1} << bitCount;
    if (colorsUsed > maxColors) return std::nullopt;
    required += (colorsUsed != 0 ? colorsUsed : maxColors) * 4;
  } else if (compression == kBiBitfields && headerSize == kBitmapInfoHeaderSize) {
    required += kBitfieldMasksSize;  // the masks follow the header
  }
  if (pixelOffset < kFileHeaderSize) return std::nullopt;
  const std::uint64_t infoSize = pixelOffset - kFileHeaderSize;
  if (infoSize < required) return std::nullopt;

  const std::uint64_t absHeight =
      height < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(height)) : height;
  const std::uint64_t rowBytes = BitmapRowBytes(static_cast<std::uint64_t>(width), bitCount);
  const std::uint64_t pixelBytes = rowBytes * absHeight;  // < 2^61
  if (pixelBytes > UINT32_MAX) return std::nullopt;
  if (static_cast<std::uint64_t>(pixelOffset) + pixelBytes > size) return std::nullopt;

  return BitmapLayout{width,
                      height,
                      bitCount,
                      kFileHeaderSize,
                      static_cast<std::uint32_t>(infoSize),
                      pixelOffset,
                      static_cast<std::uint32_t>(pixelBytes)};
}
