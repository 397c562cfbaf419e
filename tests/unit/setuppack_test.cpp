// The publisher's tool's own rules: the order a disc set is read in, the
// drive's label and autorun.inf, and what counts as an icon file (run under
// the sanitizers: nothing is read outside the file).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Autorun.h"
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

std::vector<char> Icon(std::uint16_t type, std::uint16_t count, std::uint32_t size,
                       std::uint32_t offset, const std::string& image) {
  std::string bytes{0, 0, static_cast<char>(type), 0, static_cast<char>(count), 0};
  for (std::uint16_t i = 0; i < count; ++i) {
    bytes += std::string{16, 16, 0, 0, 1, 0, 32, 0};
    for (std::uint32_t value : {size, offset})
      for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
  }
  bytes += image;
  return {bytes.begin(), bytes.end()};
}

std::vector<char> Head(std::vector<char> bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

TEST(Setuppack, IconFilesAndWhatIsNone) {
  const std::string dib = std::string{40, 0, 0, 0} + std::string(44, '\0');
  const std::string png = "\x89PNG\r\n\x1a\n" + std::string(20, 'x');
  const struct {
    const char* what;
    std::vector<char> bytes;
    bool icon;
  } cases[] = {
      {"a bitmap image", Icon(1, 1, 48, 22, dib), true},
      {"a PNG image", Icon(1, 1, 28, 22, png), true},
      {"two images, one of them twice", Icon(1, 2, 48, 38, dib), true},
      {"a cursor", Icon(2, 1, 48, 22, dib), false},
      {"no image", Icon(1, 0, 0, 0, dib), false},
      {"the directory cut short", Head(Icon(1, 1, 48, 22, dib), 21), false},
      {"an image past the end", Icon(1, 1, 49, 22, dib), false},
      {"an image inside the directory", Icon(1, 1, 48, 6, dib), false},
      {"an image that is neither", Icon(1, 1, 48, 22, std::string(48, 'B')), false},
      {"a header larger than its image", Icon(1, 1, 39, 22, dib), false},
      {"nothing", {}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsIconFile(c.bytes), c.icon) << c.what;
}

}  // namespace
