// The image's load configuration. Its one setting, DependentLoadFlags (read
// by Windows 10 1607 and later): the DLLs that the program's imports load as
// they start come from the system folder, as the imports themselves do.
// Everything else stays zero: no security cookie, no table of exception
// handlers. It lives in a section of its own, .ldcfg, which the build points
// the image's load configuration directory at after the link
// (cmake/set-load-config.sh): this build's linker leaves the directory empty.
#include <windows.h>

namespace {

constexpr IMAGE_LOAD_CONFIG_DIRECTORY LoadConfig() {
  IMAGE_LOAD_CONFIG_DIRECTORY config{};
  config.Size = sizeof config;
  config.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;  // DependentLoadFlags in newer headers
  return config;
}

}  // namespace

// A constant, in the image as written: the loader reads it before any code
// of the program runs. The name is the one linkers look for.
extern "C" __attribute__((section(".ldcfg"), used))
const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = LoadConfig();
