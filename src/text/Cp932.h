// Code page 932 helpers. The package's text is code page 932; everything
// inside the program is UTF-16 (std::wstring). This is the one place where
// package bytes become wide text.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Lead byte of a double-byte character: 0x81-0x9F or 0xE0-0xFC.
bool IsLeadByte(unsigned char byte);

// Decodes code page 932 bytes to wide text, identically on every platform.
// Invalid input never fails: a byte that cannot start a character, a lead
// byte without a valid trail byte (the trail byte is then decoded on its
// own), and a well-formed double-byte code with no character assigned each
// become U+FFFD. Zero bytes decode to L'\0'.
std::wstring DecodeCp932(std::string_view bytes);

// Upper-cases a package member name: a-z to A-Z, and the double-byte
// lower-case letters (full-width Latin, Greek, Cyrillic) to their capitals.
// Trail bytes are never taken for letters; all other bytes stay as they are.
std::string UpperCaseMemberName(std::string_view name);

}  // namespace text
