// Test packages and folders, native and under Wine. Packages are written by
// the publisher's tool's own writer and encoder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "text/Cp932Encoder.h"
#include "package/PackageWriter.h"

// A row of a table test: what it shows, its input and what must come of it.
template <typename In, typename Out>
struct Row {
  const char* what;
  In in;
  Out out;
};

// Code page 932 bytes of readable Japanese; every character must have a code.
inline std::string Cp932(std::wstring_view text) { return EncodeCp932(text).value(); }

inline bool WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  return static_cast<bool>(file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

inline bool WritePackage(const std::filesystem::path& path,
                         const std::vector<std::pair<std::string, std::string>>& members) {
  std::vector<PackageMember> list;
  for (const auto& [name, data] : members) list.push_back({name, {data.begin(), data.end()}});
  const std::optional<std::vector<char>> bytes = BuildPackage(list);
  return bytes && WriteBytes(path, std::string_view(bytes->data(), bytes->size()));
}

// An empty folder of the running test's own, removed when the test ends.
class CTestFolder {
 public:
  CTestFolder() {
    std::filesystem::remove_all(m_path), std::filesystem::create_directories(m_path);
  }
  ~CTestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  const std::filesystem::path& Path() const { return m_path; }

 private:
  static std::string Name() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    return std::string("setup_") + test->test_suite_name() + "." + test->name();
  }
  const std::filesystem::path m_path = std::filesystem::temp_directory_path() / Name();
};
