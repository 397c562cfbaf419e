// UTF-8 <-> wide conversions for the publisher's tool: messages, JSON and
// local file names. Invalid input becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace text {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace text
