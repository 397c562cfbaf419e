// Code page 932 where no table decides: invalid sequences, runs the platform
// refuses in part, member-name upper-casing; UTF-8 both ways; the encoder's
// choice among duplicate codes. The Windows tests hold every code to the
// native decoder's table.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "text/Cp932Encoder.h"
#include "text/Utf8.h"
#include "text/Cp932.h"
#include "text/Cp932Backend.h"

namespace {

TEST(Cp932, DecodesAwkwardInput) {
  // 10,000 codes, more than one call to the platform, with an unassigned
  // code every 3,000: the refused run must keep the rest.
  std::string longRun;
  std::wstring longText;
  for (int i = 0; i < 10000; ++i) {
    longRun += i % 3000 == 2999 ? "\x85\x40" : "\x82\xA0";
    longText += i % 3000 == 2999 ? L'\xFFFD' : L'\x3042';
  }
  const Row<std::string, std::wstring> cases[] = {
      {"trail byte 0x5C is no backslash", "\x95\x5C\x5C", L"\x8868\\"},
      {"half-width katakana", "\xB1\xDF\xA1", L"\xFF71\xFF9F\xFF61"},
      {"lead byte at the end", "A\x82", L"A\xFFFD"},
      {"lead byte before LF", "\x82\nA", L"\xFFFD\nA"},
      {"trail 0x7F is invalid", "\x82\x7F", L"\xFFFD\x7F"},
      {"lead byte before a half-width byte", "\x82\xFD", L"\xFFFD\xFFFD"},
      {"bytes that start nothing", "\x80\xA0\xFD\xFE\xFF", L"\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"unassigned code inside a run", "\x82\xA0\x85\x40\x82\xA2", L"\x3042\xFFFD\x3044"},
      {"lead byte as trail pairs greedily", "\x81\x81\x40", L"\xFF1D@"},
      {"zero byte", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
      {"long run", longRun, longText},
  };
  for (const auto& c : cases) {
    text::detail::ForgetDecodedCodes();
    EXPECT_EQ(text::DecodeCp932(c.in), c.out) << c.what;
    EXPECT_EQ(text::DecodeCp932(c.in), c.out) << c.what << ", remembered";
  }
}

TEST(Cp932, UpperCasesMemberNames) {
  const Row<std::string, std::string> cases[] = {
      {"ASCII", "setting.CSV", "SETTING.CSV"},
      {"full-width a, z; capitals stay", "\x82\x81\x82\x9A\x82\x60", "\x82\x60\x82\x79\x82\x60"},
      {"Greek alpha and omega", "\x83\xBF\x83\xD6", "\x83\x9F\x83\xB6"},
      {"Cyrillic around the 0x7F gap", "\x84\x70\x84\x7E\x84\x80\x84\x91",
       "\x84\x40\x84\x4E\x84\x4F\x84\x60"},
      {"trail byte 'a' is no letter", "\x83\x61\x61", "\x83\x61\x41"},
      {"trail byte 0x5C then a letter", "\x95\x5Cx", "\x95\x5CX"},
      {"lead byte without trail", "\x83\n\x61\x83", "\x83\n\x41\x83"},
      {"half-width katakana stay", "\xB1\xE0\x61", "\xB1\xE0\x61"},
      {"codes after the ranges stay", "\x82\x9B\x83\xD7\x84\x92", "\x82\x9B\x83\xD7\x84\x92"},
  };
  for (const auto& c : cases) EXPECT_EQ(text::UpperCaseMemberName(c.in), c.out) << c.what;
}

TEST(Utf8, InvalidInputBecomesReplacements) {
  const Row<std::string, std::wstring> cases[] = {
      {"outside the BMP", "\xF0\x9F\x98\x80", L"\U0001F600"},
      {"overlong slash", "\xC0\xAF", L"\xFFFD\xFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},
      {"truncated before ASCII", "\xE8\x61", L"\xFFFD\x61"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(text::FromUtf8(c.in), c.out) << c.what;
  EXPECT_EQ(text::ToUtf8(L"\x8868\U0001F600"), "\xE8\xA1\xA8\xF0\x9F\x98\x80");
  EXPECT_EQ(text::ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(Cp932Encoder, WritesTheCodesWindowsWrites) {
  EXPECT_EQ(EncodeCp932(L"表ｱﾞⅠⅰ\uFFE2"), "\x95\x5C\xB1\xDE\x87\x54\xFA\x40\x81\xCA");
  EXPECT_EQ(EncodeCp932(L"表é"), std::nullopt);
  EXPECT_EQ(EncodeCp932(L"\uFFFD"), std::nullopt);
}

}  // namespace
