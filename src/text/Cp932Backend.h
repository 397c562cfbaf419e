// The platform's code page 932 table, used by DecodeCp932 only.
#pragma once

#include <cstddef>
#include <string_view>

namespace text::detail {

// Decodes run, which consists only of well-formed double-byte codes (lead
// byte, valid trail byte), into dest, which has room for run.size()
// characters. Succeeds only when every code yields exactly one character;
// false when the platform refuses any code of the run (no character
// assigned). dest is scratch space either way.
bool DecodeDoubleByteRun(std::string_view run, wchar_t* dest);

// DecodeCp932 remembers each code's character once the platform has named
// it. Tests forget them to reach the platform (and its refusals) again.
void ForgetDecodedCodes();

}  // namespace text::detail
