// The picture checks: what they accept and where they find it, and headers
// that lie about sizes (run under the sanitizers: nothing is read outside).
#include "package/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace {

struct Picture {
  std::int32_t width = 4, height = 2;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0, headerSize = 40, colorsUsed = 0;
  std::uint32_t tableBytes = 0;   // bytes between the header and the pixels
  std::int64_t pixelOffset = -1;  // -1: right after the table
  std::uint64_t pixelBytes = 0;   // bytes of pixel data written
};

std::string Make(const Picture& p) {
  const auto offset = static_cast<std::uint32_t>(
      p.pixelOffset >= 0 ? p.pixelOffset : 14 + p.headerSize + p.tableBytes);
  std::string out = "BM";
  for (const std::uint32_t value :
       {0u, 0u, offset, p.headerSize, static_cast<std::uint32_t>(p.width),
        static_cast<std::uint32_t>(p.height), 1u | std::uint32_t{p.bitCount} << 16, p.compression,
        0u, 2835u, 2835u, p.colorsUsed, 0u}) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
  }
  // Absurd header sizes and offsets are only claimed, never padded for.
  out.resize(14 + std::min<std::uint32_t>(p.headerSize, 124) + p.tableBytes, '\0');
  if (offset < (1u << 20)) out.resize(std::max<std::size_t>(out.size(), offset), '\0');
  out.resize(out.size() + p.pixelBytes, '\0');
  return out;
}

TEST(Bitmap, FindsTheLayoutOrRefuses) {
  struct Case {
    const char* what;
    std::string bytes;
    std::uint32_t infoSize, pixelBytes;  // 0, 0: refused
  } cases[] = {
      {"33 pixels at 1 bit pad to 8 bytes", Make({33, 1, 1, 0, 40, 0, 8, -1, 8}), 48, 8},
      {"10 pixels at 8 bits pad to 12 bytes", Make({10, 1, 8, 0, 40, 0, 1024, -1, 12}), 1064, 12},
      {"8 bits with 16 colours", Make({10, 1, 8, 0, 40, 16, 64, -1, 12}), 104, 12},
      {"4 bits", Make({3, 2, 4, 0, 40, 0, 64, -1, 8}), 104, 8},
      {"top-down", Make({4, -2, 24, 0, 40, 0, 0, -1, 24}), 40, 24},
      {"16 bits", Make({3, 1, 16, 0, 40, 0, 0, -1, 8}), 40, 8},
      {"bit fields after a 40-byte header", Make({4, 1, 32, 3, 40, 0, 12, -1, 16}), 52, 16},
      {"bit fields inside a V5 header", Make({4, 1, 32, 3, 124, 0, 0, -1, 16}), 124, 16},
      {"gap before the pixels", Make({4, 1, 24, 0, 40, 0, 0, 100, 12}), 86, 12},
      {"trailing bytes", Make({4, 1, 24, 0, 40, 0, 0, -1, 100}), 40, 12},
      {"empty", "", 0, 0},
      {"no BM", "XM" + Make({}).substr(2), 0, 0},
      {"headers cut short", Make({}).substr(0, 53), 0, 0},
      {"pixels one byte short", Make({4, 2, 24, 0, 40, 0, 0, -1, 23}), 0, 0},
      {"RLE8", Make({4, 1, 8, 1, 40, 0, 1024, -1, 4}), 0, 0},
      {"JPEG inside", Make({4, 1, 24, 4, 40, 0, 0, -1, 12}), 0, 0},
      {"bit fields at 24 bits", Make({4, 1, 24, 3, 40, 0, 12, -1, 12}), 0, 0},
      {"2 bits per pixel", Make({4, 1, 2, 0, 40, 0, 16, -1, 4}), 0, 0},
      {"zero width", Make({0, 1, 24, 0, 40, 0, 0, -1, 4}), 0, 0},
      {"negative width", Make({-4, 1, 24, 0, 40, 0, 0, -1, 12}), 0, 0},
      {"zero height", Make({4, 0, 24, 0, 40, 0, 0, -1, 12}), 0, 0},
      {"most negative height", Make({4, INT32_MIN, 24, 0, 40, 0, 0, -1, 12}), 0, 0},
      {"core header", Make({4, 1, 24, 0, 12, 0, 28, -1, 12}), 0, 0},
      {"pixels overlap the header", Make({4, 1, 24, 0, 40, 0, 0, 50, 12}), 0, 0},
      {"colour table missing", Make({10, 1, 8, 0, 40, 0, 0, -1, 12}), 0, 0},
      {"more colours than the bit count allows", Make({10, 1, 8, 0, 40, 257, 1028, -1, 12}), 0, 0},
      {"colours used wraps 32 bits when multiplied",
       Make({10, 1, 8, 0, 40, 0x40000001u, 1024, -1, 12}), 0, 0},
      {"masks missing", Make({4, 1, 32, 3, 40, 0, 0, -1, 16}), 0, 0},
      {"header size past the member", Make({4, 1, 24, 0, 0xFFFFFFF0u, 0, 0, 54, 12}), 0, 0},
      {"pixel bytes overflow 32 bits", Make({0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 40, 0, 0, -1, 0}), 0,
       0},
      {"pixel offset near 2^32", Make({4, 1, 24, 0, 40, 0, 0, 0xFFFFFFF8u, 0}), 0, 0},
  };
  for (const Case& c : cases) {
    const std::optional<BitmapLayout> layout = ParseBitmap(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(layout.has_value(), c.infoSize != 0) << c.what;
    if (layout && c.infoSize != 0) {
      EXPECT_EQ(std::make_tuple(layout->infoOffset, layout->infoSize, layout->pixelOffset,
                                layout->pixelBytes),
                std::make_tuple(14u, c.infoSize, 14 + c.infoSize, c.pixelBytes))
          << c.what;
    }
  }
  EXPECT_FALSE(ParseBitmap(nullptr, 100));
}

}  // namespace
