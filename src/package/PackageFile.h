// Reader of the package archive "setup": the "ARC1" header, an index of
// named members, and the members' bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PackageEntry {
  std::string name;      // as stored, upper-cased (code page 932 bytes)
  std::uint32_t offset;  // from the start of the file, below 2^31
  std::uint32_t size;
};

class CPackageFile {
 public:
  CPackageFile() = default;
  ~CPackageFile();
  CPackageFile(const CPackageFile&) = delete;
  CPackageFile& operator=(const CPackageFile&) = delete;

  // Opens the file and reads its index. Refuses (false) a missing file, a
  // wrong magic and a damaged index: one that ends early, or an entry whose
  // data lies past the end of the file or at an offset of 2^31 or more. A
  // refused file is closed again; an opened one is held without sharing on
  // Windows until Close.
  [[nodiscard]] bool OpenPackage(const std::filesystem::path& fileName);

  // The bytes of the first member whose upper-cased name equals the
  // upper-cased request; nullopt when there is none or it cannot be read.
  [[nodiscard]] std::optional<std::vector<char>> LoadMember(std::string_view name);

  const std::vector<PackageEntry>& Entries() const { return m_entries; }

  // Releases the index and closes the file.
  void Close();

 private:
  std::FILE* m_file = nullptr;
  std::uint64_t m_fileSize = 0;
  std::vector<PackageEntry> m_entries;
};
