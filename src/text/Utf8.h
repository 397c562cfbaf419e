// UTF-8 <-> wide conversions: the publisher's tool's messages, JSON and
// local file names, and the unattended run's log. Invalid input becomes
// U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace text {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace text
