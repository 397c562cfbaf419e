#include "text/Cp932.h"

#include <gtest/gtest.h>

#include <string>

#include "Cp932Expected.inc"
#include "text/Cp932Backend.h"

namespace {

using text::DecodeCp932;

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string out;
  for (unsigned value : values) out.push_back(static_cast<char>(value));
  return out;
}

// The Windows tests hold MultiByteToWideChar to the same table.
TEST(Cp932, DecodesEveryCodeAsTheSharedTable) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::wstring wide = DecodeCp932(Bytes({byte}));
    ASSERT_EQ(wide.size(), 1u) << std::hex << byte;
    EXPECT_EQ(static_cast<unsigned>(wide[0]), kCp932Single[byte]) << std::hex << byte;
  }
  int row = 0;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!text::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::wstring wide = DecodeCp932(Bytes({lead, trail}));
      ASSERT_EQ(wide.size(), 1u) << std::hex << lead << trail;
      EXPECT_EQ(static_cast<unsigned>(wide[0]), kCp932Double[row][trail - 0x40]) << std::hex << lead << trail;
    }
    ++row;
  }
  EXPECT_EQ(row, 60);

  // The same codes as whole rows: runs the platform refuses in part.
  text::detail::ForgetDecodedCodes();
  row = 0;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!text::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    std::string bytes;
    std::wstring expected;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      bytes += Bytes({lead, trail});
      expected += static_cast<wchar_t>(kCp932Double[row][trail - 0x40]);
    }
    EXPECT_EQ(DecodeCp932(bytes), expected) << std::hex << lead;
    ++row;
  }
}

TEST(Cp932, DecodesAwkwardInput) {
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring expected;
  } cases[] = {
      {"empty", "", L""},
      {"ASCII", "setup.bmp", L"setup.bmp"},
      {"trail byte 0x5C is no backslash", Bytes({0x95, 0x5C, 0x5C}), L"\x8868\\"},
      {"half-width katakana", Bytes({0xB1, 0xDF, 0xA1}), L"\xFF71\xFF9F\xFF61"},
      {"lead byte at the end", Bytes({0x41, 0x82}), L"A\xFFFD"},
      {"lead byte before LF", Bytes({0x82, 0x0A, 0x41}), L"\xFFFD\nA"},
      {"trail 0x7F is invalid", Bytes({0x82, 0x7F}), L"\xFFFD\x7F"},
      {"lead byte before a half-width byte", Bytes({0x82, 0xFD}), L"\xFFFD\xFFFD"},
      {"bytes that start nothing", Bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF}), L"\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"unassigned code inside a run", Bytes({0x82, 0xA0, 0x85, 0x40, 0x82, 0xA2}), L"\x3042\xFFFD\x3044"},
      {"lead byte as trail pairs greedily", Bytes({0x81, 0x81, 0x40}), L"\xFF1D@"},
      {"zero byte", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
      {"full-width backslash and wave dash", Bytes({0x81, 0x5F, 0x81, 0x60}), L"\xFF3C\xFF5E"},
      {"NEC special and user-defined area", Bytes({0x87, 0x40, 0xF0, 0x40, 0xF9, 0xFC}),
       L"\x2460\xE000\xE757"},
      {"IBM extension", Bytes({0xFA, 0x40}), L"\x2170"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeCp932(c.bytes), c.expected) << c.what;
}

TEST(Cp932, DecodesLongRunsAcrossBackendCalls) {
  // Codes not seen before: the platform gets whole runs and refuses those
  // with the unassigned code.
  text::detail::ForgetDecodedCodes();
  std::string bytes;
  std::wstring expected;
  for (int i = 0; i < 10000; ++i) {
    // Every 3000th code is unassigned: the fallback must keep the rest.
    if (i % 3000 == 2999) {
      bytes += Bytes({0x85, 0x40});
      expected += L'\xFFFD';
    } else {
      bytes += Bytes({0x82, 0xA0});
      expected += L'\x3042';
    }
  }
  EXPECT_EQ(DecodeCp932(bytes), expected);
  // And once more from what was remembered.
  EXPECT_EQ(DecodeCp932(bytes), expected);
}

TEST(Cp932, UpperCasesMemberNames) {
  struct Case {
    const char* what;
    std::string name;
    std::string expected;
  } cases[] = {
      {"ASCII", "setting.CSV", "SETTING.CSV"},
      {"full-width a, b, z", Bytes({0x82, 0x81, 0x82, 0x82, 0x82, 0x9A}),
       Bytes({0x82, 0x60, 0x82, 0x61, 0x82, 0x79})},
      {"full-width capitals stay", Bytes({0x82, 0x60, 0x82, 0x79}), Bytes({0x82, 0x60, 0x82, 0x79})},
      {"Greek alpha and omega", Bytes({0x83, 0xBF, 0x83, 0xD6}), Bytes({0x83, 0x9F, 0x83, 0xB6})},
      {"Cyrillic around the 0x7F gap", Bytes({0x84, 0x70, 0x84, 0x7E, 0x84, 0x80, 0x84, 0x91}),
       Bytes({0x84, 0x40, 0x84, 0x4E, 0x84, 0x4F, 0x84, 0x60})},
      {"trail byte 'a' is no letter", Bytes({0x83, 0x61, 0x61}), Bytes({0x83, 0x61, 0x41})},
      {"trail byte 0x5C then a letter", Bytes({0x95, 0x5C, 0x78}), Bytes({0x95, 0x5C, 0x58})},
      {"lead byte without trail", Bytes({0x83, 0x0A, 0x61, 0x83}), Bytes({0x83, 0x0A, 0x41, 0x83})},
      {"half-width katakana stay", Bytes({0xB1, 0xE0, 0x61}), Bytes({0xB1, 0xE0, 0x61})},
      {"next code after the range stays", Bytes({0x82, 0x9B, 0x83, 0xD7, 0x84, 0x92}),
       Bytes({0x82, 0x9B, 0x83, 0xD7, 0x84, 0x92})},
  };
  for (const Case& c : cases) EXPECT_EQ(text::UpperCaseMemberName(c.name), c.expected) << c.what;
}

TEST(Cp932, ConvertsUtf8BothWays) {
  struct Case {
    const char* what;
    std::string utf8;
    std::wstring wide;
    bool roundTrips;
  } cases[] = {
      {"ASCII", "abc", L"abc", true},
      {"Japanese", "\xE8\xA1\xA8\xE3\x81\x82", L"\x8868\x3042", true},
      {"outside the BMP", "\xF0\x9F\x98\x80", L"\U0001F600", true},
      {"overlong slash", "\xC0\xAF", L"\xFFFD\xFFFD", false},
      {"encoded surrogate", "\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD", false},
      {"truncated sequence", "\xE8\xA1", L"\xFFFD\xFFFD", false},
      {"truncated before ASCII",
       "\xE8"
       "a",
       L"\xFFFD"
       L"a",
       false},
      {"past U+10FFFF", "\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text::FromUtf8(c.utf8), c.wide) << c.what;
    if (c.roundTrips) {
      EXPECT_EQ(text::ToUtf8(c.wide), c.utf8) << c.what;
    }
  }
  EXPECT_EQ(text::ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
