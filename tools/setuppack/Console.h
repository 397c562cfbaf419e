// Output of the publisher's tool: messages are UTF-8 text, member bytes are
// written unchanged. On Windows a console gets wide text, anything else the
// UTF-8 bytes, so pipes and files hold the same bytes on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Prepares stdout and stderr for binary output; call once at start.
void InitConsole();

// Writes UTF-8 text to stdout or stderr. False when the write failed.
bool PrintOut(std::string_view utf8);
bool PrintErr(std::string_view utf8);

// True when stderr is a terminal (on Windows, a console).
bool ErrIsTerminal();
// The width of stderr's terminal in columns; 80 where it cannot be told.
std::size_t ErrTerminalColumns();

// Writes raw bytes to stdout and flushes. False when the write failed.
[[nodiscard]] bool WriteOutBytes(const char* data, std::size_t size);

// A path as UTF-8 text, for messages and listings.
std::string PathToUtf8(const std::filesystem::path& path);
