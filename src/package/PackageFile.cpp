#include "package/PackageFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>

#include "package/ByteOrder.h"
#include "package/PackageLayout.h"
#include "text/Cp932.h"

#ifdef _WIN32
#include <share.h>
#endif

namespace {

using layout::kEntryFixedSize;
using layout::kHeaderSize;

}  // namespace

class CPackageFile::CSource {
 public:
  virtual ~CSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Exactly size bytes from offset, or false.
  virtual bool Read(std::uint64_t offset, void* buffer, std::size_t size) = 0;
};

namespace {

// A package file, taken exclusively while it is held, as the launcher did
// on every platform it ran on.
class CFileSource : public CPackageFile::CSource {
 public:
  explicit CFileSource(const std::filesystem::path& fileName) {
#ifdef _WIN32
    // The wide name keeps Japanese folder names intact whatever the ANSI
    // code page is.
    m_file = _wfsopen(fileName.c_str(), L"rb", _SH_DENYRW);
    if (m_file && _fseeki64(m_file, 0, SEEK_END) == 0) m_size = _ftelli64(m_file);
#else
    m_file = std::fopen(fileName.c_str(), "rb");
    if (m_file && fseeko(m_file, 0, SEEK_END) == 0) m_size = ftello(m_file);
#endif
  }
  ~CFileSource() override {
    if (m_file) std::fclose(m_file);
  }
  bool IsOpen() const { return m_file != nullptr && m_size >= 0; }
  std::uint64_t Size() const override { return static_cast<std::uint64_t>(m_size); }
  bool Read(std::uint64_t offset, void* buffer, std::size_t size) override {
    // A failed read before must not fail this one.
    std::clearerr(m_file);
#ifdef _WIN32
    if (_fseeki64(m_file, static_cast<__int64>(offset), SEEK_SET) != 0) return false;
#else
    if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
#endif
    return std::fread(buffer, 1, size, m_file) == size;
  }

 private:
  std::FILE* m_file = nullptr;
  std::int64_t m_size = -1;
};

class CMemorySource : public CPackageFile::CSource {
 public:
  CMemorySource(const void* data, std::size_t size)
      : m_data(static_cast<const char*>(data)), m_size(size) {}
  std::uint64_t Size() const override { return m_size; }
  bool Read(std::uint64_t offset, void* buffer, std::size_t size) override {
    if (offset > m_size || size > m_size - offset) return false;
    std::memcpy(buffer, m_data + offset, size);
    return true;
  }

 private:
  const char* m_data;
  std::size_t m_size;
};

}  // namespace

CPackageFile::CPackageFile() = default;
CPackageFile::~CPackageFile() { Close(); }

void CPackageFile::Close() {
  m_entries.clear();
  m_upperNames.clear();
  m_source.reset();
}

bool CPackageFile::OpenPackage(const std::filesystem::path& fileName) {
  Close();
  auto file = std::make_unique<CFileSource>(fileName);
  if (!file->IsOpen()) return false;
  m_source = std::move(file);
  return ReadIndex();
}

bool CPackageFile::OpenPackage(const void* data, std::size_t size) {
  Close();
  m_source = std::make_unique<CMemorySource>(data, size);
  return ReadIndex();
}

bool CPackageFile::ReadIndex() {
  // Any inconsistency refuses the whole package and releases it: callers
  // treat a refused package like a missing one.
  const auto fail = [this] {
    Close();
    return false;
  };
  const std::uint64_t packageSize = m_source->Size();
  std::array<unsigned char, kHeaderSize> header{};
  if (!m_source->Read(0, header.data(), header.size())) return fail();
  if (std::string_view(reinterpret_cast<const char*>(header.data()), 4) != layout::kMagic)
    return fail();

  const auto count = static_cast<std::int32_t>(LittleEndian32(&header[4]));
  if (count <= 0) return true;  // an empty index

  // Every entry takes at least 9 bytes: a count the package cannot hold is
  // refused before anything is allocated for it.
  if (packageSize < kHeaderSize + kEntryFixedSize * static_cast<std::uint64_t>(count))
    return fail();
  // Reserve only a little: the vector grows with entries actually read, so
  // memory stays bounded by what the package holds.
  m_entries.reserve(std::min<std::size_t>(static_cast<std::size_t>(count), 256));

  std::uint64_t position = kHeaderSize;
  for (std::int32_t i = 0; i < count; ++i) {
    std::array<unsigned char, kEntryFixedSize> fixed{};
    if (!m_source->Read(position, fixed.data(), fixed.size())) return fail();
    PackageEntry entry;
    entry.offset = LittleEndian32(&fixed[0]);
    entry.size = LittleEndian32(&fixed[4]);
    const std::size_t nameLength = fixed[8];
    if (entry.offset > layout::kMaxOffset) return fail();
    if (static_cast<std::uint64_t>(entry.offset) + entry.size > packageSize) return fail();
    entry.name.assign(nameLength, '\0');
    if (nameLength != 0 &&
        !m_source->Read(position + kEntryFixedSize, entry.name.data(), nameLength))
      return fail();
    position += kEntryFixedSize + nameLength;
    m_upperNames.push_back(text::UpperCaseMemberName(entry.name));
    m_entries.push_back(std::move(entry));
  }
  return true;
}

std::optional<std::vector<char>> CPackageFile::LoadMember(std::string_view name) {
  if (!m_source) return std::nullopt;
  const std::string wanted = text::UpperCaseMemberName(name);
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    if (m_upperNames[i] != wanted) continue;
    // Only the first entry of a name is ever served.
    const PackageEntry& entry = m_entries[i];
    std::vector<char> buffer;
    if (entry.size > buffer.max_size()) return std::nullopt;
    try {
      buffer.resize(entry.size);
    } catch (const std::bad_alloc&) {
      // A member too large for memory reads like a missing one.
      return std::nullopt;
    }
    if (entry.size != 0 && !m_source->Read(entry.offset, buffer.data(), buffer.size()))
      return std::nullopt;
    return buffer;
  }
  return std::nullopt;
}
