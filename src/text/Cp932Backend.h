// The platform's code page 932 table, used by DecodeCp932 only.
#pragma once

#include <string>
#include <string_view>

namespace text::detail {

// Appends the characters of run, which consists only of well-formed
// double-byte codes (lead byte, valid trail byte), one wide character per
// code. Returns false, and appends nothing, when the platform refuses any
// code of the run (no character assigned).
bool DecodeDoubleByteRun(std::string_view run, std::wstring& out);

}  // namespace text::detail
