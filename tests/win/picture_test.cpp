// The launcher's pictures: a BMP member becomes a DIB section that draws
// the member's pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "app/Pictures.h"

namespace {

struct Case {
  const char* what;
  int width, height, bitCount;
  bool topDown;

  int RowBytes() const { return (width * bitCount + 31) / 32 * 4; }
  DWORD PixelOffset() const {
    return sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) +
           (bitCount <= 8 ? 4 << bitCount : 0);
  }
  // Colour i of the table is grey level i (1 bit: black and white); the
  // pixel bytes count up by 7 so that neighbours differ.
  std::vector<char> Member() const {
    const BITMAPFILEHEADER file{0x4D42, 0, 0, 0, PixelOffset()};
    const BITMAPINFOHEADER info{sizeof info,
                                width,
                                topDown ? -height : height,
                                1,
                                static_cast<WORD>(bitCount),
                                BI_RGB,
                                0,
                                0,
                                0,
                                0,
                                0};
    std::vector<char> out(PixelOffset() + RowBytes() * height);
    std::memcpy(out.data(), &file, sizeof file);
    std::memcpy(out.data() + sizeof file, &info, sizeof info);
    for (int i = 0; bitCount <= 8 && i < 1 << bitCount; ++i) {
      const auto grey = static_cast<BYTE>(bitCount == 1 ? i * 255 : i);
      const RGBQUAD colour{grey, grey, grey, 0};
      std::memcpy(out.data() + sizeof file + sizeof info + 4 * i, &colour, 4);
    }
    for (std::size_t i = PixelOffset(); i < out.size(); ++i) out[i] = static_cast<char>(i * 7);
    return out;
  }
  // The colour the member gives (x, y), counted from the top.
  COLORREF Stored(const std::vector<char>& member, int x, int y) const {
    const auto* row = reinterpret_cast<const BYTE*>(member.data()) + PixelOffset() +
                      RowBytes() * (topDown ? y : height - 1 - y);
    if (bitCount == 24) return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    const int index = bitCount == 8 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1;
    return bitCount == 8 ? RGB(index, index, index) : index ? RGB(255, 255, 255) : RGB(0, 0, 0);
  }
};

TEST(Picture, DrawsThePixelsOfTheMember) {
  const Case cases[] = {
      {"24 bits, 150 wide", 150, 200, 24, false}, {"1 bit, 33 wide", 33, 5, 1, false},
      {"8 bits, 10 wide", 10, 6, 8, false},       {"24 bits, top-down", 7, 9, 24, true},
      {"8 bits, top-down", 10, 3, 8, true},
  };
  const HDC dc = ::CreateCompatibleDC(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<char> member = c.Member();
    const win::UniqueBitmap picture = CreatePicture(member);
    ASSERT_TRUE(picture);
    DIBSECTION section{};
    ASSERT_EQ(::GetObjectW(picture.get(), sizeof section, &section),
              static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBm.bmHeight, c.height);  // |biHeight| rows either way
    EXPECT_EQ(section.dsBm.bmBitsPixel, c.bitCount);
    const HGDIOBJ old = ::SelectObject(dc, picture.get());
    for (const int y : {0, c.height / 2, c.height - 1}) {
      for (const int x : {0, c.width / 2, c.width - 1})
        EXPECT_EQ(::GetPixel(dc, x, y), c.Stored(member, x, y)) << "at " << x << "," << y;
    }
    ::SelectObject(dc, old);
    // One byte short: the checks' refusal leaves no picture.
    member.pop_back();
    EXPECT_FALSE(CreatePicture(member));
  }
  ::DeleteDC(dc);
}

}  // namespace
