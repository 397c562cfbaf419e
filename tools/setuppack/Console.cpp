#include "text/Utf8.h"
#include "Console.h"

#include <cstdio>


#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// A console shows wide text whatever its code page is; only there is the
// text converted. Redirected output keeps the UTF-8 bytes.
bool PrintTo(std::FILE* stream, DWORD handleId, std::string_view utf8) {
  HANDLE console = GetStdHandle(handleId);
  DWORD mode = 0;
  if (console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode)) {
    std::fflush(stream);
    std::wstring wide = text::FromUtf8(utf8);
    DWORD written = 0;
    return WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written,
                         nullptr) != 0;
  }
  return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}
#endif

}  // namespace

void InitConsole() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

bool PrintOut(std::string_view utf8) {
#ifdef _WIN32
  return PrintTo(stdout, STD_OUTPUT_HANDLE, utf8);
#else
  return std::fwrite(utf8.data(), 1, utf8.size(), stdout) == utf8.size();
#endif
}

bool PrintErr(std::string_view utf8) {
#ifdef _WIN32
  return PrintTo(stderr, STD_ERROR_HANDLE, utf8);
#else
  return std::fwrite(utf8.data(), 1, utf8.size(), stderr) == utf8.size();
#endif
}

bool ErrIsTerminal() {
#ifdef _WIN32
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
#else
  return isatty(STDERR_FILENO) == 1;
#endif
}

std::size_t ErrTerminalColumns() {
#ifdef _WIN32
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info) &&
      info.srWindow.Right > info.srWindow.Left)
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
#else
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
  return 80;
}

bool WriteOutBytes(const char* data, std::size_t size) {
  if (size != 0 && std::fwrite(data, 1, size, stdout) != size) return false;
  return std::fflush(stdout) == 0;
}

std::string PathToUtf8(const std::filesystem::path& path) {
#ifdef _WIN32
  return text::ToUtf8(path.native());
#else
  return path.native();  // already the bytes the user typed
#endif
}
