// JSON text for `setuppack show`.
#pragma once

#include <string>
#include <string_view>

// The text as a quoted JSON string in UTF-8: quote and backslash escaped,
// every control character (zero bytes included) as \u00XX.
std::string JsonString(std::wstring_view text);
