#include "text/Utf8.h"
#include "Json.h"

#include <cstdint>


std::string JsonString(std::wstring_view text) {
  std::wstring escaped;
  escaped.reserve(text.size() + 2);
  escaped.push_back(L'"');
  for (wchar_t ch : text) {
    if (ch == L'"' || ch == L'\\') {
      escaped.push_back(L'\\');
      escaped.push_back(ch);
    } else if (auto code = static_cast<std::uint32_t>(ch); code < 0x20 || code == 0x7F) {
      static const wchar_t kHex[] = L"0123456789ABCDEF";
      escaped += L"\\u00";
      escaped.push_back(kHex[code >> 4]);
      escaped.push_back(kHex[code & 0xF]);
    } else {
      escaped.push_back(ch);
    }
  }
  escaped.push_back(L'"');
  return text::ToUtf8(escaped);
}
