#include "Autorun.h"

#include "text/Cp932Encoder.h"

namespace {

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

}  // namespace

std::wstring DriveLabel(std::wstring_view title) {
  while (!title.empty() && IsBlank(title.front())) title.remove_prefix(1);
  title = title.substr(0, kMaxDriveLabel);
  while (!title.empty() && IsBlank(title.back())) title.remove_suffix(1);
  return std::wstring(title);
}

std::optional<std::string> AutorunInf(std::wstring_view label, bool withIcon) {
  std::optional<std::string> encoded = EncodeCp932(label);
  if (!encoded) return std::nullopt;
  std::string inf = "[autorun]\r\nopen=setup.exe\r\nlabel=" + *encoded + "\r\n";
  if (withIcon) inf += std::string("icon=") + kAutorunIconName + "\r\n";
  return inf;
}
