#include "text/Cp932Encoder.h"

#include <cstdint>
#include <vector>

#include "text/Cp932.h"

namespace {

constexpr std::uint16_t kNoCode = 0xFFFF;  // 0xFF is never a lead byte

bool IsNecSelectedIbmLead(int lead) { return lead == 0xED || lead == 0xEE; }

// Built once by decoding every code, so the encoder can never disagree with
// the decoder the launcher uses.
std::vector<std::uint16_t> BuildReverseMap() {
  std::vector<std::uint16_t> map(0x10000, kNoCode);
  auto add = [&map](std::string_view bytes, std::uint16_t code) {
    std::wstring decoded = text::DecodeCp932(bytes);
    if (decoded.size() != 1 || decoded[0] == L'\uFFFD') return;
    auto ch = static_cast<std::uint32_t>(decoded[0]);
    if (ch < map.size() && map[ch] == kNoCode) map[ch] = code;
  };
  for (int byte = 0; byte <= 0xFF; ++byte) {
    if (text::IsLeadByte(static_cast<unsigned char>(byte))) continue;
    char single = static_cast<char>(byte);
    add(std::string_view(&single, 1), static_cast<std::uint16_t>(byte));
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!text::IsLeadByte(static_cast<unsigned char>(lead))) continue;
      if (IsNecSelectedIbmLead(lead) != (pass == 1)) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        add(std::string_view(pair, 2), static_cast<std::uint16_t>(lead << 8 | trail));
      }
    }
  }
  return map;
}

}  // namespace

std::optional<std::string> EncodeCp932(std::wstring_view text) {
  static const std::vector<std::uint16_t> reverse = BuildReverseMap();
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t ch : text) {
    auto index = static_cast<std::uint32_t>(ch);
    if (index >= reverse.size() || reverse[index] == kNoCode) return std::nullopt;
    std::uint16_t code = reverse[index];
    if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
    bytes.push_back(static_cast<char>(code & 0xFF));
  }
  return bytes;
}
