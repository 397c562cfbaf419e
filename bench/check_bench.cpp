// setuppack check over the copy benchmark's large set (8 x 32 MiB, in a
// folder on disk) against a plain read loop over the same files in reads
// of the same size, and build and check with --progress against the same
// command with --quiet. Twice: with the files in the page cache (what the
// tool itself costs), then dropped from it before every pass (both sides
// read at the disk's pace). Each round times every pass once, in an order
// of its own; the median of the rounds' own ratios is printed, as a busy
// machine slows a round's passes alike. Targets: check at least 0.9 of
// the plain read's pace, --progress at least 0.98 of the pace without.
// Exit code 1 below a target.
//   check_bench [--rounds=N] [FOLDER]
// FOLDER (default: check_bench.files in the current folder) is made and
// removed.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "ProductFiles.h"
#include "text/Cp932Encoder.h"

namespace {

constexpr int kFiles = 8;
constexpr std::size_t kFileSize = 32u << 20;
namespace fs = std::filesystem;

bool MakeSet(const fs::path& folder) {
  fs::create_directories(folder / "disc1");
  std::vector<char> bytes(kFileSize);
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  std::string csv =
      EncodeCp932(L"項目,パラメータ,ディスク\r\nタイトル,検査\r\n社名,工房\r\n").value();
  for (int i = 0; i < kFiles; ++i) {
    // Content that no hash or disk shortcuts: xorshift, eight bytes a step.
    for (std::size_t at = 0; at < bytes.size(); at += 8) {
      state ^= state << 13, state ^= state >> 7, state ^= state << 17;
      std::memcpy(&bytes[at], &state, 8);
    }
    const std::string name = "file" + std::to_string(i) + ".dat";
    std::ofstream file(folder / "disc1" / name, std::ios::binary | std::ios::trunc);
    if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush())
      return false;
    csv += EncodeCp932(L"ファイル,").value() + name + ",DISC1\r\n";
  }
  std::ofstream settings(folder / "setting.csv", std::ios::binary | std::ios::trunc);
  return static_cast<bool>(settings.write(csv.data(), static_cast<std::streamsize>(csv.size())));
}

std::vector<fs::path> SetFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  for (int i = 0; i < kFiles; ++i)
    files.push_back(folder / "disc1" / ("file" + std::to_string(i) + ".dat"));
  return files;
}

// Written back and dropped from the page cache: the next read goes to the disk.
void DropFromCache(const std::vector<fs::path>& files) {
  for (const fs::path& path : files) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) continue;
    fdatasync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
  }
}

// The reference: every file read once, in reads of check's size, and
// nothing else.
bool PlainRead(const std::vector<fs::path>& files) {
  std::vector<char> buffer(kReadSize);
  std::size_t total = 0;
  for (const fs::path& path : files) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    ssize_t read = 0;
    while ((read = ::read(fd, buffer.data(), buffer.size())) > 0)
      total += static_cast<std::size_t>(read);
    close(fd);
  }
  return total == files.size() * kFileSize;
}

// Runs a command of the tool in this process, its output discarded.
bool Tool(std::vector<std::string> words) {
  std::vector<Arg> args(words.begin(), words.end());
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(args, line, error)) {
    std::fprintf(stderr, "check_bench: %s\n", error.c_str());
    return false;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  const int savedOut = dup(STDOUT_FILENO), savedErr = dup(STDERR_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  const int code = line.command == Command::Check ? RunCheck(line) : RunBuild(line);
  std::fflush(stdout);
  std::fflush(stderr);
  dup2(savedOut, STDOUT_FILENO);
  dup2(savedErr, STDERR_FILENO);
  close(null);
  close(savedOut);
  close(savedErr);
  return code == 0;
}

// What --progress adds is work for the processor, never a wait: its cost is
// measured in the process's processor time, which other programs on a busy
// machine disturb far less than they disturb the clock.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// The rounds of one way of reading; prints the medians of the rounds'
// ratios and says whether they meet their targets.
bool Measure(const std::vector<std::function<bool()>>& passes, const std::vector<fs::path>& files,
             bool fromDisk, int rounds) {
  std::vector<double> checkPace, checkProgress, buildProgress;
  double plainSeconds = 0;
  std::vector<std::size_t> order(passes.size());
  for (std::size_t pass = 0; pass < order.size(); ++pass) order[pass] = pass;
  std::mt19937 random(1);
  for (int round = 0; round < rounds; ++round) {
    std::vector<double> seconds(passes.size()), cpuSeconds(passes.size());
    // A new order each round: no pass always follows the same one (a
    // build's written package is still being flushed after it).
    std::shuffle(order.begin(), order.end(), random);
    for (std::size_t pass : order) {
      if (fromDisk) DropFromCache(files);
      const double cpuStart = CpuSeconds();
      const auto start = std::chrono::steady_clock::now();
      if (!passes[pass]()) {
        std::fprintf(stderr, "check_bench: pass %zu failed\n", pass);
        return false;
      }
      seconds[pass] =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      cpuSeconds[pass] = CpuSeconds() - cpuStart;
    }
    plainSeconds += seconds[0];
    checkPace.push_back(seconds[0] / seconds[1]);
    checkProgress.push_back(cpuSeconds[1] / cpuSeconds[2]);
    buildProgress.push_back(cpuSeconds[3] / cpuSeconds[4]);
  }
  const double pace = Median(checkPace);
  const double checkCost = Median(checkProgress);
  const double buildCost = Median(buildProgress);
  std::printf("%s: plain read %.0f MiB/s\n", fromDisk ? "from the disk" : "from the page cache",
              kFiles * (kFileSize >> 20) * rounds / plainSeconds);
  std::printf("  check / plain read: %.2f (target 0.90)\n", pace);
  std::printf("  check --progress / --quiet, processor time: %.2f (target 0.98)\n", checkCost);
  std::printf("  build --progress / --quiet, processor time: %.2f (target 0.98)\n", buildCost);
  std::fflush(stdout);
  return pace >= 0.9 && checkCost >= 0.98 && buildCost >= 0.98;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 31;
  fs::path folder = fs::current_path() / "check_bench.files";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rounds=", 9) == 0)
      rounds = std::max(1, std::atoi(argv[i] + 9));
    else
      folder = argv[i];
  }
  if (!MakeSet(folder)) {
    std::fprintf(stderr, "check_bench: cannot write the files in %s\n", folder.c_str());
    return 1;
  }
  const std::vector<fs::path> files = SetFiles(folder);
  const std::string package = (folder / "disc1" / "setup").string();
  const std::string disc = "DISC1=" + (folder / "disc1").string();
  const std::vector<std::string> build{
      "build", "--settings", (folder / "setting.csv").string(), "--disc", disc, "-o", package};
  const std::vector<std::string> check{"check", package, "--disc", disc};
  auto with = [](std::vector<std::string> words, const char* option) {
    words.push_back(option);
    return words;
  };
  // The passes of a round: the reference, then the tool as a publisher
  // runs it, with --quiet or --progress, its output thrown away.
  const std::vector<std::function<bool()>> passes{
      [&] { return PlainRead(files); },
      [&] { return Tool(with(check, "--quiet")); },
      [&] { return Tool(with(check, "--progress")); },
      [&] { return Tool(with(build, "--quiet")); },
      [&] { return Tool(with(build, "--progress")); },
  };
  std::printf("%d files of %zu MiB in %s, %d rounds\n", kFiles, kFileSize >> 20, folder.c_str(),
              rounds);
  bool met = false;
  if (Tool(with(build, "--quiet"))) {
    const bool fromCache = Measure(passes, files, false, rounds);
    met = Measure(passes, files, true, rounds) && fromCache;
  } else {
    std::fprintf(stderr, "check_bench: the first build failed\n");
  }
  fs::remove_all(folder);
  return met ? 0 : 1;
}
