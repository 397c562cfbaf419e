#include "text/Cp932.h"

#include <algorithm>

#include "text/Cp932Backend.h"

namespace text {
namespace {

constexpr wchar_t kReplacement = L'\xFFFD';

// A backend call takes at most this many bytes, so a run's length always
// fits the platform's int-sized counts and the fallback stays local.
constexpr std::size_t kMaxRunBytes = 8192;

bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

bool IsDoubleByteAt(std::string_view bytes, std::size_t pos) {
  return pos + 1 < bytes.size() && IsLeadByte(static_cast<unsigned char>(bytes[pos])) &&
         IsTrailByte(static_cast<unsigned char>(bytes[pos + 1]));
}

// Decodes a run of well-formed double-byte codes. When the platform refuses
// the run, each code is tried on its own so one unassigned code costs only
// its own character.
void DecodeRun(std::string_view run, std::wstring& out) {
  if (detail::DecodeDoubleByteRun(run, out)) return;
  for (std::size_t i = 0; i < run.size(); i += 2) {
    if (!detail::DecodeDoubleByteRun(run.substr(i, 2), out)) out.push_back(kReplacement);
  }
}

// Lower-case double-byte letter -> its capital, or 0. The ranges are those
// the Japanese locale upper-cases: full-width Latin, Greek and Cyrillic.
unsigned UpperDoubleByte(unsigned code) {
  if (code >= 0x8281 && code <= 0x829A) return code - 0x21;  // ａ-ｚ -> Ａ-Ｚ
  if (code >= 0x83BF && code <= 0x83D6) return code - 0x20;  // α-ω -> Α-Ω
  // а-я at 0x8470-0x8491 skip the trail byte 0x7F, their capitals at
  // 0x8440-0x8460 do not.
  if (code >= 0x8470 && code <= 0x847E) return code - 0x30;
  if (code >= 0x8480 && code <= 0x8491) return code - 0x31;
  return 0;
}

}  // namespace

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::wstring DecodeCp932(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    // Single bytes map the same on every platform: ASCII as is, half-width
    // katakana to U+FF61-U+FF9F. Only double-byte codes need a table.
    if (byte < 0x80) {
      out.push_back(static_cast<wchar_t>(byte));
      ++i;
    } else if (byte >= 0xA1 && byte <= 0xDF) {
      out.push_back(static_cast<wchar_t>(0xFF61 + (byte - 0xA1)));
      ++i;
    } else if (IsDoubleByteAt(bytes, i)) {
      std::size_t end = i;
      while (end - i < kMaxRunBytes && IsDoubleByteAt(bytes, end)) end += 2;
      DecodeRun(bytes.substr(i, end - i), out);
      i = end;
    } else {
      // 0x80, 0xA0, 0xFD-0xFF, or a lead byte without a valid trail byte;
      // the byte after such a lead byte is decoded on its own.
      out.push_back(kReplacement);
      ++i;
    }
  }
  return out;
}

std::string UpperCaseMemberName(std::string_view name) {
  std::string upper(name);
  std::size_t i = 0;
  while (i < upper.size()) {
    const auto byte = static_cast<unsigned char>(upper[i]);
    if (IsDoubleByteAt(upper, i)) {
      const unsigned code = (byte << 8) | static_cast<unsigned char>(upper[i + 1]);
      if (const unsigned capital = UpperDoubleByte(code)) {
        upper[i] = static_cast<char>(capital >> 8);
        upper[i + 1] = static_cast<char>(capital & 0xFF);
      }
      i += 2;
    } else {
      if (byte >= 'a' && byte <= 'z') upper[i] = static_cast<char>(byte - 'a' + 'A');
      ++i;
    }
  }
  return upper;
}

}  // namespace text
