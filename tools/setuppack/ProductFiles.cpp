#include "ProductFiles.h"

#include <algorithm>
#include <optional>

#include "CommandSupport.h"
#include "FileIo.h"
#include "Progress.h"
#include "package/SetupInfo.h"

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
  std::vector<char> buffer(kReadSize);
  CContentHasher hasher;
  for (std::size_t index : ReadingOrder(info)) {
    ProductFile& file = files[index];
    if (file.state != FileState::Ok) continue;
    progress.StartFile(info.files[index].disc, info.files[index].name);
    CSequentialFile input;
    bool readable = input.Open(file.path);
    hasher.Reset();
    std::uint64_t read = 0;
    while (readable) {
      std::optional<std::size_t> got = input.Read(buffer.data(), buffer.size());
      readable = got.has_value();
      if (!readable || *got == 0) break;
      hasher.Update(buffer.data(), *got);
      read += *got;
      progress.Advance(*got);
    }
    // The size is what was read: the file may have changed since it was
    // looked at.
    if (!readable || read > 0xFFFFFFFFu) {
      file.state = FileState::Unreadable;
    } else {
      file.size = read;
      file.hash = hasher.Digest();
    }
  }
}
