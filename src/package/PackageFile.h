// Reader of the package archive "setup": the "ARC1" header, an index of
// named members, and the members' bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PackageEntry {
  std::string name;      // as stored (code page 932 bytes)
  std::uint32_t offset;  // from the start of the package, below 2^31
  std::uint32_t size;
};

class CPackageFile {
 public:
  CPackageFile();
  ~CPackageFile();
  CPackageFile(const CPackageFile&) = delete;
  CPackageFile& operator=(const CPackageFile&) = delete;

  // Opens the file and reads its index. Refuses (false) a missing file, a
  // wrong magic and a damaged index: one that ends early, or an entry whose
  // data lies past the end of the file or at an offset of 2^31 or more. A
  // refused file is closed again; an opened one is held without sharing on
  // Windows until Close.
  [[nodiscard]] bool OpenPackage(const std::filesystem::path& fileName);
  // The same for a package in memory, which must outlive the reader's use
  // of it (until Close or another Open).
  [[nodiscard]] bool OpenPackage(const void* data, std::size_t size);

  // The bytes of the first member whose name equals the request after
  // upper-casing both (the launcher's member lookup); nullopt when there is
  // none or it cannot be read.
  [[nodiscard]] std::optional<std::vector<char>> LoadMember(std::string_view name);

  const std::vector<PackageEntry>& Entries() const { return m_entries; }

  // Releases the index and the package.
  void Close();

  // Where a package's bytes come from.
  class CSource;

 private:
  bool ReadIndex();

  std::unique_ptr<CSource> m_source;
  std::vector<PackageEntry> m_entries;
  std::vector<std::string> m_upperNames;  // the names upper-cased, for lookups
};
