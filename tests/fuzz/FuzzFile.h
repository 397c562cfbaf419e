// The package reader works on files: each fuzz input is written to one
// temporary file per process, removed when the process ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::filesystem::path& FuzzFilePath() {
  static const std::filesystem::path path = [] {
    std::filesystem::path p =
        std::filesystem::temp_directory_path() / ("setup_fuzz_" + std::to_string(getpid()));
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove(FuzzFilePath(), error);
    });
    return p;
  }();
  return path;
}

inline bool WriteFuzzFile(const void* data, std::size_t size) {
  std::FILE* file = std::fopen(FuzzFilePath().c_str(), "wb");
  if (!file) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}
