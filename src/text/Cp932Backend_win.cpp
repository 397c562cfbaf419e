// The Win32 table, asked with the code page named explicitly so the result
// does not depend on the system's ANSI code page.
#include <windows.h>

#include "text/Cp932Backend.h"

namespace text::detail {

bool DecodeDoubleByteRun(std::string_view run, std::wstring& out) {
  if (run.empty()) return true;
  const int count = static_cast<int>(run.size() / 2);
  const std::size_t start = out.size();
  out.resize(start + count + 1);
  // MB_ERR_INVALID_CHARS: an unassigned code fails the call instead of
  // becoming the default character.
  const int produced = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, run.data(),
                                           static_cast<int>(run.size()), &out[start], count + 1);
  if (produced != count) {
    out.resize(start);
    return false;
  }
  out.resize(start + count);
  return true;
}

}  // namespace text::detail
