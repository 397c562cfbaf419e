// The launcher's pictures: BMP members become DIB sections that draw the
// same pixels; members that fail the checks leave the slot empty.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/Pictures.h"

namespace {

void Put16(std::vector<char>& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::vector<char>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A BMP member of width x height at bitCount bits. The colour table holds
// grey levels; the pixel at (x, y) counted from the top gets PixelValue.
std::uint32_t PixelValue(int x, int y, int bitCount) {
  const std::uint32_t v = static_cast<std::uint32_t>(x * 7 + y * 13);
  switch (bitCount) {
    case 1:
      return (x + y) % 2;
    case 8:
      return v % 256;
    default:
      return (v * 0x010305u) & 0xFFFFFF;
  }
}

std::vector<char> MakeBmp(int width, int height, int bitCount, bool topDown) {
  const int colors = bitCount <= 8 ? 1 << bitCount : 0;
  const std::uint32_t rowBytes = ((width * bitCount + 31) & ~31) / 8;
  const std::uint32_t pixelOffset = 14 + 40 + colors * 4;
  std::vector<char> out = {'B', 'M'};
  Put32(out, pixelOffset + rowBytes * height);
  Put32(out, 0);
  Put32(out, pixelOffset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(topDown ? -height : height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint16_t>(bitCount));
  for (int i = 0; i < 6; ++i) Put32(out, 0);  // BI_RGB, sizes, colours used/important
  for (int i = 0; i < colors; ++i) {
    const auto grey = static_cast<std::uint8_t>(colors == 2 ? i * 255 : i);
    Put32(out, grey | (grey << 8) | (grey << 16));
  }
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;  // stored rows, bottom-up by default
    std::vector<char> bytes(rowBytes, 0);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = PixelValue(x, y, bitCount);
      if (bitCount == 24) {
        bytes[x * 3] = static_cast<char>(v & 0xFF);
        bytes[x * 3 + 1] = static_cast<char>((v >> 8) & 0xFF);
        bytes[x * 3 + 2] = static_cast<char>((v >> 16) & 0xFF);
      } else if (bitCount == 8) {
        bytes[x] = static_cast<char>(v);
      } else if (v) {
        bytes[x / 8] = static_cast<char>(bytes[x / 8] | (0x80 >> (x % 8)));
      }
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

COLORREF Expected(int x, int y, int bitCount) {
  const std::uint32_t v = PixelValue(x, y, bitCount);
  if (bitCount == 1) return v ? RGB(255, 255, 255) : RGB(0, 0, 0);
  if (bitCount == 8) return RGB(v, v, v);
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

TEST(Picture, DrawsThePixelsOfTheMember) {
  struct Case {
    const char* what;
    int width;
    int height;
    int bitCount;
    bool topDown;
    LONG rowBytes;
  } cases[] = {
      {"24 bits, 150 wide", 150, 200, 24, false, 452},
      {"1 bit, 33 wide", 33, 5, 1, false, 8},
      {"8 bits, 10 wide", 10, 6, 8, false, 12},
      {"24 bits, top-down", 7, 9, 24, true, 24},
      {"8 bits, top-down", 10, 3, 8, true, 12},
  };
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const win::UniqueBitmap picture = CreatePicture(MakeBmp(c.width, c.height, c.bitCount, c.topDown));
    ASSERT_TRUE(picture);
    DIBSECTION section{};
    ASSERT_EQ(::GetObjectW(picture.get(), sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, c.width);
    EXPECT_EQ(section.dsBm.bmHeight, c.height);  // |biHeight| rows either way
    EXPECT_EQ(section.dsBm.bmWidthBytes, c.rowBytes);
    EXPECT_EQ(section.dsBm.bmBitsPixel, c.bitCount);

    const HGDIOBJ old = ::SelectObject(dc, picture.get());
    const int xs[] = {0, c.width / 2, c.width - 1};
    const int ys[] = {0, c.height / 2, c.height - 1};
    for (int y : ys) {
      for (int x : xs) {
        EXPECT_EQ(::GetPixel(dc, x, y), Expected(x, y, c.bitCount)) << "at " << x << "," << y;
      }
    }
    ::SelectObject(dc, old);
  }
  ::DeleteDC(dc);
}

TEST(Picture, MembersFailingTheChecksGiveNoPicture) {
  const std::vector<char> good = MakeBmp(16, 16, 24, false);
  struct Case {
    const char* what;
    std::vector<char> member;
  } cases[] = {
      {"empty member", {}},
      {"headers only", std::vector<char>(good.begin(), good.begin() + 54)},
      {"one pixel byte short", std::vector<char>(good.begin(), good.end() - 1)},
      {"not BM", [&] {
         auto m = good;
         m[0] = 'X';
         return m;
       }()},
      {"pixel offset past the end", [&] {
         auto m = good;
         m[10] = static_cast<char>(0xFF);
         m[11] = static_cast<char>(0xFF);
         return m;
       }()},
      {"8 bits without its colour table", [&] {
         auto m = MakeBmp(4, 4, 8, false);
         m.erase(m.begin() + 54, m.begin() + 54 + 1024);
         m[10] = 54;
         m[11] = 0;
         return m;
       }()},
      {"run-length compressed", [&] {
         auto m = MakeBmp(4, 4, 8, false);
         m[30] = 1;  // BI_RLE8
         return m;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(CreatePicture(c.member));
  }
  EXPECT_TRUE(CreatePicture(good));
}

}  // namespace
