// Wide text to code page 932 bytes: the reverse of text::DecodeCp932, for
// member names typed by the publisher and for the settings' key texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The code page 932 bytes that DecodeCp932 turns back into text; nullopt
// when a character has no code in the code page. Where several codes decode
// to one character, the one Windows itself writes is chosen: the NEC row 13
// symbols and the IBM extensions (lead bytes 0xFA-0xFC) before the NEC
// selection of the IBM extensions (lead bytes 0xED-0xEE).
std::optional<std::string> EncodeCp932(std::wstring_view text);
