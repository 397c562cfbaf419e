// Checks of an uncompressed BMP picture member, shared by the launcher's
// picture decoding and the publisher's tool, and the bitmap facts its check
// of an icon's images asks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr std::uint32_t kBitmapInfoHeaderSize = 40;  // BITMAPINFOHEADER
inline constexpr std::uint32_t kBiRgb = 0;                  // uncompressed

// True for the bit counts of an uncompressed picture: 1, 4, 8, 16, 24, 32.
bool IsBitmapBitCount(std::uint16_t bitCount);
// The bytes of one row of pixels, padded to 32 bits (exact for any width
// below 2^32).
std::uint64_t BitmapRowBytes(std::uint64_t width, std::uint16_t bitCount);

// The fields of a BITMAPINFOHEADER that the checks read; info holds at least
// kBitmapInfoHeaderSize bytes.
struct BitmapInfoHeader {
  std::uint32_t headerSize;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t planes;
  std::uint16_t bitCount;
  std::uint32_t compression;
  std::uint32_t colorsUsed;
};
BitmapInfoHeader ReadBitmapInfoHeader(const unsigned char* info);

struct BitmapLayout {
  std::int32_t width;
  std::int32_t height;  // negative for a top-down picture
  std::uint16_t bitCount;
  std::uint32_t infoOffset;   // 14: the BITMAPINFO (header and colour table)
  std::uint32_t infoSize;     // bytes from infoOffset up to the pixel data
  std::uint32_t pixelOffset;  // bfOffBits
  std::uint32_t pixelBytes;   // rows padded to 32 bits, times |height|
};

// The layout of a BMP member whose headers, colour table and pixel bytes all
// lie within the member; nullopt for anything else (no "BM", truncated,
// compressed, zero or absurd dimensions, overflowing sizes).
std::optional<BitmapLayout> ParseBitmap(const char* data, std::size_t size);
