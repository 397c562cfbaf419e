// Test helpers shared by the native unit tests, the Windows core test, the
// fuzz seeds and the benchmark: package files built in memory, temporary
// folders, and code page 932 text from wide literals.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace testing_support {

struct Member {
  std::string name;
  std::string data;
};

inline void AppendLe32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A well-formed package: header, index, then the members' data in order.
inline std::string BuildPackage(const std::vector<Member>& members) {
  std::string index;
  std::size_t dataStart = 8;
  for (const Member& member : members) dataStart += 9 + member.name.size();
  std::string out = "ARC1";
  AppendLe32(out, static_cast<std::uint32_t>(members.size()));
  std::size_t offset = dataStart;
  for (const Member& member : members) {
    AppendLe32(out, static_cast<std::uint32_t>(offset));
    AppendLe32(out, static_cast<std::uint32_t>(member.data.size()));
    out.push_back(static_cast<char>(member.name.size()));
    out += member.name;
    offset += member.data.size();
  }
  for (const Member& member : members) out += member.data;
  return out;
}

inline bool WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

// A fresh folder below the temporary folder, removed with its contents.
class CTempDir {
 public:
  explicit CTempDir(std::wstring_view prefix = L"setup_test_") {
    std::random_device random;
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::filesystem::path candidate =
          std::filesystem::temp_directory_path(error) / (std::wstring(prefix) + std::to_wstring(random()));
      if (std::filesystem::create_directory(candidate, error)) {
        m_path = candidate;
        return;
      }
    }
  }
  ~CTempDir() {
    std::error_code error;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
  }
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

// Code page 932 bytes of a wide literal, so tests can be written in
// readable Japanese. Characters without a code become '?'.
inline std::string Cp932(std::wstring_view text) {
  if (text.empty()) return {};
#ifdef _WIN32
  const int size =
      WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
#else
  iconv_t cd = iconv_open("CP932", "WCHAR_T");
  std::string out(text.size() * 2, '\0');
  char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text.data()));
  std::size_t inLeft = text.size() * sizeof(wchar_t);
  char* dest = out.data();
  std::size_t destLeft = out.size();
  while (inLeft != 0) {
    if (iconv(cd, &in, &inLeft, &dest, &destLeft) == static_cast<std::size_t>(-1)) {
      *dest++ = '?';
      --destLeft;
      in += sizeof(wchar_t);
      inLeft -= sizeof(wchar_t);
    }
  }
  iconv_close(cd);
  out.resize(out.size() - destLeft);
  return out;
#endif
}

}  // namespace testing_support
