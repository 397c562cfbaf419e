#include "package/PackageFile.h"

#include <algorithm>
#include <array>
#include <new>

#include "text/Cp932.h"

#ifdef _WIN32
#include <share.h>
#endif

namespace {

constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint64_t kEntryFixedSize = 9;  // offset, size, nameLength
constexpr std::uint32_t kMaxOffset = 0x7FFFFFFF;

// The reader takes the package exclusively while it holds it, as the
// launcher did on every platform it ran on.
std::FILE* OpenForReading(const std::filesystem::path& fileName) {
#ifdef _WIN32
  // The wide name keeps Japanese folder names intact whatever the ANSI
  // code page is.
  return _wfsopen(fileName.c_str(), L"rb", _SH_DENYRW);
#else
  return std::fopen(fileName.c_str(), "rb");
#endif
}

bool SeekTo(std::FILE* file, std::uint64_t position) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(position), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

std::optional<std::uint64_t> FileSize(std::FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return std::nullopt;
  const __int64 size = _ftelli64(file);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return std::nullopt;
  const off_t size = ftello(file);
#endif
  if (size < 0 || !SeekTo(file, 0)) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

bool ReadExactly(std::FILE* file, void* buffer, std::size_t size) {
  return std::fread(buffer, 1, size, file) == size;
}

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

CPackageFile::~CPackageFile() { Close(); }

void CPackageFile::Close() {
  m_entries.clear();
  m_fileSize = 0;
  if (m_file) {
    std::fclose(m_file);
    m_file = nullptr;
  }
}

bool CPackageFile::OpenPackage(const std::filesystem::path& fileName) {
  Close();
  m_file = OpenForReading(fileName);
  if (!m_file) return false;

  // Any inconsistency refuses the whole package and releases the file:
  // callers treat a refused package like a missing one.
  const auto fail = [this] {
    Close();
    return false;
  };

  const std::optional<std::uint64_t> fileSize = FileSize(m_file);
  std::array<unsigned char, kHeaderSize> header{};
  if (!fileSize || !ReadExactly(m_file, header.data(), header.size())) return fail();
  if (header[0] != 'A' || header[1] != 'R' || header[2] != 'C' || header[3] != '1') return fail();
  m_fileSize = *fileSize;

  const auto count = static_cast<std::int32_t>(LittleEndian32(&header[4]));
  if (count <= 0) return true;  // an empty index

  // Every entry takes at least 9 bytes: a count the file cannot hold is
  // refused before anything is allocated for it.
  if (m_fileSize < kHeaderSize + kEntryFixedSize * static_cast<std::uint64_t>(count)) return fail();
  // Reserve only a little: the vector grows with entries actually read, so
  // memory stays bounded by what the file holds.
  m_entries.reserve(std::min<std::size_t>(static_cast<std::size_t>(count), 256));

  for (std::int32_t i = 0; i < count; ++i) {
    std::array<unsigned char, kEntryFixedSize> fixed{};
    if (!ReadExactly(m_file, fixed.data(), fixed.size())) return fail();
    PackageEntry entry;
    entry.offset = LittleEndian32(&fixed[0]);
    entry.size = LittleEndian32(&fixed[4]);
    const std::size_t nameLength = fixed[8];
    if (entry.offset > kMaxOffset) return fail();
    if (static_cast<std::uint64_t>(entry.offset) + entry.size > m_fileSize) return fail();
    std::string name(nameLength, '\0');
    if (nameLength != 0 && !ReadExactly(m_file, name.data(), nameLength)) return fail();
    entry.name = text::UpperCaseMemberName(name);
    m_entries.push_back(std::move(entry));
  }
  return true;
}

std::optional<std::vector<char>> CPackageFile::LoadMember(std::string_view name) {
  if (!m_file) return std::nullopt;
  const std::string wanted = text::UpperCaseMemberName(name);
  for (const PackageEntry& entry : m_entries) {
    if (entry.name != wanted) continue;
    // Only the first entry of a name is ever served. A failed read before
    // must not fail this one.
    std::clearerr(m_file);
    if (!SeekTo(m_file, entry.offset)) return std::nullopt;
    std::vector<char> buffer;
    if (entry.size > buffer.max_size()) return std::nullopt;
    try {
      buffer.resize(entry.size);
    } catch (const std::bad_alloc&) {
      // A member too large for memory reads like a missing one.
      return std::nullopt;
    }
    if (entry.size != 0 && !ReadExactly(m_file, buffer.data(), buffer.size())) return std::nullopt;
    return buffer;
  }
  return std::nullopt;
}
