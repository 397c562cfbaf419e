// The Win32 table, asked with the code page named explicitly so the result
// does not depend on the system's ANSI code page.
#include <windows.h>

#include "text/Cp932Backend.h"

namespace text::detail {

bool DecodeDoubleByteRun(std::string_view run, wchar_t* dest) {
  const int bytes = static_cast<int>(run.size());
  // MB_ERR_INVALID_CHARS: an unassigned code fails the call instead of
  // becoming the default character.
  const int produced =
      MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, run.data(), bytes, dest, bytes);
  return produced == bytes / 2;
}

}  // namespace text::detail
