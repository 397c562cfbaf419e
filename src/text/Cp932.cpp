#include "text/Cp932.h"

#include <atomic>
#include <cstdint>

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

// What the platform said about each double-byte code, once asked: 0 for
// not yet asked (no double-byte code decodes to U+0000), else the character
// or U+FFFD. Entries only ever go from 0 to their one value, so relaxed
// atomics suffice when several threads decode at once.
std::atomic<std::uint16_t> g_known[60][189];

std::atomic<std::uint16_t>& Known(unsigned char lead, unsigned char trail) {
  const unsigned row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
  return g_known[row][trail - 0x40];
}

// Decodes a run of well-formed double-byte codes into dest, one character
// per code. Codes seen before come from the cache; otherwise the whole run
// goes to the platform in one call and, when the platform refuses it, each
// code is tried on its own so one unassigned code costs only its own
// character.
void DecodeRun(std::string_view run, wchar_t* dest) {
  bool complete = true;
  for (std::size_t i = 0; i < run.size(); i += 2) {
    const std::uint16_t known = Known(run[i], run[i + 1]).load(std::memory_order_relaxed);
    if (known == 0) {
      complete = false;
      break;
    }
    dest[i / 2] = static_cast<wchar_t>(known);
  }
  if (complete) return;

  if (!detail::DecodeDoubleByteRun(run, dest)) {
    for (std::size_t i = 0; i < run.size(); i += 2) {
      wchar_t scratch[2];
      dest[i / 2] =
          detail::DecodeDoubleByteRun(run.substr(i, 2), scratch) ? scratch[0] : kReplacement;
    }
  }
  for (std::size_t i = 0; i < run.size(); i += 2) {
    const auto character = static_cast<std::uint32_t>(dest[i / 2]);
    if (character <= 0xFFFF)
      Known(run[i], run[i + 1])
          .store(static_cast<std::uint16_t>(character), std::memory_order_relaxed);
  }
}

}  // namespace

void detail::ForgetDecodedCodes() {
  for (auto& row : g_known) {
    for (auto& entry : row) entry.store(0, std::memory_order_relaxed);
  }
}

namespace {

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
  // Every byte yields at most one character, so the text never outgrows
  // its byte count; the tail is cut off at the end.
  std::wstring out(bytes.size(), L'\0');
  std::size_t written = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    // Single bytes map the same on every platform: ASCII as is, half-width
    // katakana to U+FF61-U+FF9F. Only double-byte codes need a table.
    if (byte < 0x80) {
      do {
        out[written++] = static_cast<wchar_t>(bytes[i++]);
      } while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80);
    } else if (byte >= 0xA1 && byte <= 0xDF) {
      out[written++] = static_cast<wchar_t>(0xFF61 + (byte - 0xA1));
      ++i;
    } else if (IsDoubleByteAt(bytes, i)) {
      std::size_t end = i;
      while (end - i < kMaxRunBytes && IsDoubleByteAt(bytes, end)) end += 2;
      // The run's bytes lie ahead of i, so out has room for as many
      // characters as the run has bytes.
      DecodeRun(bytes.substr(i, end - i), &out[written]);
      written += (end - i) / 2;
      i = end;
    } else {
      // 0x80, 0xA0, 0xFD-0xFF, or a lead byte without a valid trail byte;
      // the byte after such a lead byte is decoded on its own.
      out[written++] = kReplacement;
      ++i;
    }
  }
  out.resize(written);
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
