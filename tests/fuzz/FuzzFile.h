// The package reader works on files: the input is written to a temporary
// file of this process and unlinked once opened (the open package keeps its
// data), so no file stays behind however the fuzzer ends.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "package/PackageFile.h"

// False when the file cannot be written, or the package refuses it.
inline bool OpenFuzzPackage(CPackageFile& package, const void* data, std::size_t size) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("setup_fuzz_" + std::to_string(getpid()));
  const bool written = static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::trunc)
                                             .write(static_cast<const char*>(data), static_cast<std::streamsize>(size)));
  const bool opened = written && package.OpenPackage(path);
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return opened;
}
