#include "ProductFiles.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "CommandSupport.h"
#include "FileIo.h"
#include "Progress.h"
#include "package/SetupInfo.h"

namespace {

// Reads of 1 MiB: far above what a drive needs to stream, and small enough
// that the hash finds the bytes still in the processor's cache.
constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::size_t kChunks = 4;

struct Chunk {
  enum Kind { Data, End, Failed };
  Kind kind = Data;
  std::size_t size = 0;  // of Data
  std::vector<char> bytes = std::vector<char>(kChunkSize);
};

// One thread reads the files one after the other into a ring of chunks
// while the caller hashes the chunks before: the system is always asked
// for the next bytes, whatever the hash costs. Each file ends in one End or
// Failed chunk.
class CReadAhead {
 public:
  explicit CReadAhead(std::vector<std::filesystem::path> paths)
      : m_paths(std::move(paths)), m_thread([this] { ReadAll(); }) {}
  ~CReadAhead() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
  }
  CReadAhead(const CReadAhead&) = delete;
  CReadAhead& operator=(const CReadAhead&) = delete;

  // The next chunk, waited for; the caller hands it back with Release.
  const Chunk& Next() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_filled > m_released; });
    return m_ring[m_released % kChunks];
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      ++m_released;
    }
    m_changed.notify_all();
  }

 private:
  // A free chunk to fill, or nullptr when the reader is to stop.
  Chunk* Free() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stop || m_filled - m_released < kChunks; });
    return m_stop ? nullptr : &m_ring[m_filled % kChunks];
  }
  void Fill() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      ++m_filled;
    }
    m_changed.notify_all();
  }

  void ReadAll() {
    for (std::size_t index = 0; index < m_paths.size(); ++index) {
      CSequentialFile file;
      bool open = file.Open(m_paths[index]);
      for (;;) {
        Chunk* chunk = Free();
        if (chunk == nullptr) return;
        std::optional<std::size_t> read =
            open ? file.Read(chunk->bytes.data(), chunk->bytes.size()) : std::nullopt;
        chunk->kind = !read ? Chunk::Failed : *read == 0 ? Chunk::End : Chunk::Data;
        chunk->size = read.value_or(0);
        Fill();
        if (chunk->kind != Chunk::Data) break;
      }
    }
  }

  const std::vector<std::filesystem::path> m_paths;
  Chunk m_ring[kChunks];
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::size_t m_filled = 0;    // chunks ever filled, under m_mutex
  std::size_t m_released = 0;  // chunks ever released, under m_mutex
  bool m_stop = false;         // under m_mutex
  std::thread m_thread;        // last: starts once the rest is built
};

}  // namespace

std::vector<ProductFile> LookAtProductFiles(const SetupInfo& info,
                                            const std::vector<DiscFolder>& discs) {
  std::vector<ProductFile> files(info.files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    ProductFile& file = files[i];
    const DiscFolder* disc = FindDisc(discs, info.files[i].disc);
    if (disc == nullptr) continue;  // NoDisc
    file.path = DiscFilePath(disc->folder, info.files[i].name);
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(file.path, error);
    if (!std::filesystem::exists(status)) {
      file.state = FileState::Missing;
    } else if (!std::filesystem::is_regular_file(status)) {
      file.state = FileState::NotRegular;
    } else {
      file.size = std::filesystem::file_size(file.path, error);
      file.state = error                     ? FileState::Missing
                   : file.size > 0xFFFFFFFFu ? FileState::TooLarge
                                             : FileState::Ok;
    }
  }
  return files;
}

std::vector<std::size_t> ReadingOrder(const SetupInfo& info) {
  // A file's disc is its label: the discs numbered as they first appear.
  std::vector<std::wstring> labels;
  std::vector<std::size_t> disc(info.files.size());
  for (std::size_t i = 0; i < info.files.size(); ++i) {
    auto found = std::find(labels.begin(), labels.end(), info.files[i].disc);
    disc[i] = static_cast<std::size_t>(found - labels.begin());
    if (found == labels.end()) labels.push_back(info.files[i].disc);
  }
  std::vector<std::size_t> order(info.files.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return disc[a] < disc[b]; });
  return order;
}

std::uint64_t BytesToRead(const std::vector<ProductFile>& files) {
  std::uint64_t total = 0;
  for (const ProductFile& file : files) {
    if (file.state == FileState::Ok) total += file.size;
  }
  return total;
}

void ReadProductFiles(const SetupInfo& info, std::vector<ProductFile>& files, CProgress& progress) {
  std::vector<std::size_t> order;
  std::vector<std::filesystem::path> paths;
  for (std::size_t index : ReadingOrder(info)) {
    if (files[index].state != FileState::Ok) continue;
    order.push_back(index);
    paths.push_back(files[index].path);
  }
  if (order.empty()) return;
  CReadAhead reader(std::move(paths));
  CContentHasher hasher;
  for (std::size_t index : order) {
    progress.StartFile(info.files[index].disc, info.files[index].name);
    hasher.Reset();
    std::uint64_t read = 0;
    for (;;) {
      const Chunk& chunk = reader.Next();
      const Chunk::Kind kind = chunk.kind;
      const std::size_t size = chunk.size;
      hasher.Update(chunk.bytes.data(), size);
      reader.Release();  // the chunk is the reader's again
      read += size;
      progress.Advance(size);
      if (kind == Chunk::Data) continue;
      ProductFile& file = files[index];
      // The size is what was read: the file may have changed since it was
      // looked at.
      if (kind == Chunk::Failed || read > 0xFFFFFFFFu) {
        file.state = FileState::Unreadable;
      } else {
        file.size = read;
        file.hash = hasher.Digest();
      }
      break;
    }
  }
}
