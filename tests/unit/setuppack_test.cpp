// The publisher's tool's own rules: the order a disc set is read in, the
// drive's label and autorun.inf, and what counts as an icon file (run under
// the sanitizers: nothing is read outside the file).
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "Autorun.h"
#include "IconFile.h"
#include "ProductFiles.h"
#include "package/SetupInfo.h"

namespace {

TEST(Setuppack, ReadsEachDiscOnceInTheSettingsOrder) {
  SetupInfo info;
  for (const wchar_t* disc : {L"DISC1", L"DISC2", L"DISC1", L"", L"DISC2", L"disc1"})
    info.files.push_back({L"f", disc});
  EXPECT_EQ(ReadingOrder(info), (std::vector<std::size_t>{0, 2, 1, 4, 3, 5}));
}

TEST(Setuppack, LabelIsTheTitleAsADriveShowsIt) {
  const struct {
    std::wstring title, label;
  } cases[] = {
      {L"星の旅人", L"星の旅人"},
      {L"  旅 人", L"旅 人"},
      {std::wstring(31, L'あ') + L" い", std::wstring(31, L'あ')},
      {std::wstring(40, L'ｱ'), std::wstring(32, L'ｱ')},
  };
  for (const auto& c : cases) EXPECT_EQ(DriveLabel(c.title), c.label);
  EXPECT_EQ(AutorunInf(L"旅", true),
            "[autorun]\r\nopen=setup.exe\r\nlabel=\x97\xb7\r\nicon=autorun.ico\r\n");
  EXPECT_EQ(AutorunInf(L"A", false), "[autorun]\r\nopen=setup.exe\r\nlabel=A\r\n");
  EXPECT_EQ(AutorunInf(L"旅\uFFFD", true), std::nullopt);
}

std::string Little32(std::uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
  return bytes;
}

std::vector<char> Icon(std::uint16_t type, std::uint16_t count, std::uint32_t size,
                       std::uint32_t offset, const std::string& image) {
  std::string bytes{0, 0, static_cast<char>(type), 0, static_cast<char>(count), 0};
  for (std::uint16_t i = 0; i < count; ++i)
    bytes += std::string{16, 16, 0, 0, 1, 0, 32, 0} + Little32(size) + Little32(offset);
  bytes += image;
  return {bytes.begin(), bytes.end()};
}

std::vector<char> Head(std::vector<char> bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

// A bitmap image of size bytes: its BITMAPINFOHEADER (headerSize bytes),
// then zeros.
std::string Dib(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::size_t size,
                std::uint32_t colorsUsed = 0, std::uint16_t planes = 1,
                std::uint32_t compression = 0, std::uint32_t headerSize = 40) {
  std::string bytes = Little32(headerSize) + Little32(static_cast<std::uint32_t>(width)) +
                      Little32(static_cast<std::uint32_t>(height)) +
                      Little32(planes | static_cast<std::uint32_t>(bitCount) << 16) +
                      Little32(compression) + std::string(12, '\0') + Little32(colorsUsed);
  bytes.resize(size);
  return bytes;
}

std::string Hex(std::string_view digits) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < digits.size(); ++i) {
    if (digits[i] == ' ') continue;
    bytes += static_cast<char>(std::stoi(std::string(digits.substr(i, 2)), nullptr, 16));
    ++i;
  }
  return bytes;
}

TEST(Setuppack, IconFilesAndWhatIsNone) {
  const std::string dib = Dib(1, 2, 32, 48);
  const struct {
    const char* what;
    std::vector<char> bytes;
    bool icon;
  } cases[] = {
      {"a bitmap image", Icon(1, 1, 48, 22, dib), true},
      {"two images, one of them twice", Icon(1, 2, 48, 38, dib), true},
      {"a cursor", Icon(2, 1, 48, 22, dib), false},
      {"no image", Icon(1, 0, 0, 0, dib), false},
      {"the directory cut short", Head(Icon(1, 1, 48, 22, dib), 21), false},
      {"an image past the end", Icon(1, 1, 49, 22, dib), false},
      {"an image inside the directory", Icon(1, 1, 48, 6, dib), false},
      {"nothing", {}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(!IconFileFault(c.bytes), c.icon) << c.what;
  EXPECT_EQ(IconFileFault(Icon(2, 1, 48, 22, dib)), "is not an icon file (.ico)");
  EXPECT_EQ(IconFileFault(Icon(1, 2, 47, 38, dib)),
            "is not a whole icon file (.ico): image 1 of 2 is cut short or damaged");
}

// Each image whole: a PNG chunk by chunk, a bitmap's header against its
// colour table, picture and mask.
TEST(Setuppack, IconImagesWholeOrNot) {
  const std::string signature = Hex("89504e470d0a1a0a");
  const std::string ihdr = Hex("0000000d 49484452 00000001 00000001 0800000000 3a7e9b55");
  const std::string idat = Hex("0000000a 49444154 789c6360000000020001 48afa471");
  const std::string iend = Hex("00000000 49454e44 ae426082");
  const std::string png = signature + ihdr + idat + iend;  // 1x1, grey
  std::string badCrc = png;
  badCrc[47] ^= 1;  // a byte of IDAT's data
  const struct {
    const char* what;
    std::string image;
    bool whole;
  } cases[] = {
      {"a PNG", png, true},
      {"a PNG and bytes after IEND", png + "junk", true},
      {"a PNG signature and zeros", signature + std::string(59, '\0'), false},
      {"a PNG with a CRC wrong", badCrc, false},
      {"a PNG without IEND", signature + ihdr + idat, false},
      {"a PNG cut inside IEND", png.substr(0, png.size() - 1), false},
      {"a PNG without IDAT", signature + ihdr + iend, false},
      {"a PNG whose IHDR is not first", signature + idat + ihdr + iend, false},
      {"a PNG with IHDR twice", signature + ihdr + ihdr + idat + iend, false},
      {"1x1, 32 bits", Dib(1, 2, 32, 48), true},
      {"1x1, 32 bits, its mask cut", Dib(1, 2, 32, 47), false},
      {"32x32, 32 bits", Dib(32, 64, 32, 40 + 4096 + 128), true},
      {"32x32, 32 bits, and 16 bytes", Dib(32, 64, 32, 40 + 16), false},
      {"3x1, 24 bits: rows padded", Dib(3, 2, 24, 40 + 12 + 4), true},
      {"3x1, 24 bits, cut", Dib(3, 2, 24, 40 + 12 + 3), false},
      {"16x16, 4 bits", Dib(16, 32, 4, 40 + 64 + 128 + 64), true},
      {"16x16, 4 bits, its colours cut", Dib(16, 32, 4, 40 + 64 + 128 + 63), false},
      {"16x16, 4 bits, 2 colours", Dib(16, 32, 4, 40 + 8 + 128 + 64, 2), true},
      {"4 bits, 17 colours", Dib(16, 32, 4, 1000, 17), false},
      {"1x1, 24 bits, 2 colours", Dib(1, 2, 24, 40 + 8 + 4 + 4, 2), true},
      {"1x1, 24 bits, 2 colours, cut", Dib(1, 2, 24, 40 + 4 + 4, 2), false},
      {"8x8, 1 bit", Dib(8, 16, 1, 40 + 8 + 32 + 32), true},
      {"a larger header", Dib(1, 2, 32, 124 + 8, 0, 1, 0, 124), true},
      {"a header of 39 bytes", Dib(1, 2, 32, 48, 0, 1, 0, 39), false},
      {"an odd height", Dib(1, 3, 32, 100), false},
      {"no height", Dib(1, 0, 32, 100), false},
      {"top-down", Dib(1, -2, 32, 100), false},
      {"no width", Dib(0, 2, 32, 100), false},
      {"2 planes", Dib(1, 2, 32, 100, 0, 2), false},
      {"2 bits", Dib(1, 2, 2, 100), false},
      {"bit fields", Dib(1, 2, 32, 100, 0, 1, 3), false},
      {"a huge width", Dib(0x7FFFFFFF, 2, 32, 100), false},
      {"neither", std::string(48, 'B'), false},
  };
  for (const auto& c : cases) {
    const auto size = static_cast<std::uint32_t>(c.image.size());
    EXPECT_EQ(!IconFileFault(Icon(1, 1, size, 22, c.image)), c.whole) << c.what;
  }
}

}  // namespace
