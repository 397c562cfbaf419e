// Start-up's settings loading for a product of 100,000 files, measured
// against a bare split of the same bytes into lines in the same run. Prints
// "ratio: X" (load time over split time, see BM_Ratio); with --max_ratio=N
// the program fails when X exceeds N.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "text/Cp932Encoder.h"
#include "package/PackageWriter.h"
#include "package/PackageFile.h"
#include "package/SetupInfo.h"

namespace {

constexpr int kFiles = 100000;

// Half the files lie in Japanese-named folders, so the decoder's double-byte
// path is part of what is measured.
std::string MakeSettings() {
  const auto Cp932 = [](std::wstring_view text) { return EncodeCp932(text).value(); };
  std::string csv = Cp932(
      L"項目,パラメータ,ディスク\r\nタイトル,表示ゲーム\r\n社名,ソフト工房\r\n"
      L"実行ファイル,game.exe\r\n");
  const std::string fileKey = Cp932(L"ファイル,");
  const std::string stage = Cp932(L"データ\\ステージ");
  char line[128];
  for (int i = 0; i < kFiles; ++i) {
    const int length =
        i % 2 ? std::snprintf(line, sizeof line, "%s%03d\\file%06d.dat,DISC%d\r\n", stage.c_str(),
                              i % 1000, i, 1 + i / 50000)
              : std::snprintf(line, sizeof line, "data\\file%06d.dat,DISC%d\r\n", i, 1 + i / 50000);
    csv += fileKey;
    csv.append(line, static_cast<std::size_t>(length));
  }
  return csv;
}

struct Fixture {
  Fixture() : settings(MakeSettings()) {
    std::vector<char> sizes;
    for (int i = 0; i < kFiles; ++i) {
      for (int shift = 0; shift < 32; shift += 8)
        sizes.push_back(static_cast<char>(i * 17 >> shift));
    }
    path = std::filesystem::temp_directory_path() / "setup_settings_bench";
    const std::optional<std::vector<char>> package =
        BuildPackage({{"setting.csv", {settings.begin(), settings.end()}}, {"filesize", sizes}});
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!package || !file.write(package->data(), static_cast<std::streamsize>(package->size())) ||
        !file.flush()) {
      std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
      std::exit(1);
    }
  }
  ~Fixture() { std::filesystem::remove(path); }
  std::string settings;
  std::filesystem::path path;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

bool StartupLoad(const Fixture& fixture) {
  CPackageFile package;
  SetupInfo info;
  const bool loaded = package.OpenPackage(fixture.path) && LoadSettings(package, info) &&
                      LoadFileSizes(package, info) && info.files.size() == kFiles;
  benchmark::DoNotOptimize(info.files.data());
  return loaded;
}

// The reference: the same bytes cut into one string per line.
void LineSplit(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t position = 0;
  while (position < bytes.size()) {
    std::size_t end = bytes.find('\n', position);
    if (end == std::string::npos) end = bytes.size();
    lines.emplace_back(bytes, position, end - position);
    position = end + 1;
  }
  benchmark::DoNotOptimize(lines.data());
}

void BM_StartupLoad(benchmark::State& state) {
  const Fixture& fixture = TheFixture();
  for (auto _ : state) {
    if (!StartupLoad(fixture)) {
      state.SkipWithError("loading failed");
      break;
    }
  }
}
BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMillisecond);

void BM_LineSplit(benchmark::State& state) {
  const std::string& bytes = TheFixture().settings;
  for (auto _ : state) LineSplit(bytes);
}
BENCHMARK(BM_LineSplit)->Unit(benchmark::kMillisecond);

// The ratio itself: each iteration times one load and one split back to
// back, so a busy machine slows both alike; the median of the pairs' ratios
// ignores the pairs a burst of other work hit.
void BM_Ratio(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const Fixture& fixture = TheFixture();
  std::vector<double> ratios;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    if (!StartupLoad(fixture)) {
      state.SkipWithError("loading failed");
      return;
    }
    const Clock::time_point loaded = Clock::now();
    LineSplit(fixture.settings);
    const Clock::time_point split = Clock::now();
    ratios.push_back(std::chrono::duration<double>(loaded - start).count() /
                     std::chrono::duration<double>(split - loaded).count());
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_Ratio)->Unit(benchmark::kMillisecond)->MinTime(0.5);

class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const auto counter = run.counters.find("ratio");
      if (counter == run.counters.end()) continue;
      // The best repetition: other work only ever makes the load look slower.
      if (m_ratio == 0 || counter->second.value < m_ratio) m_ratio = counter->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Ratio() const { return m_ratio; }

 private:
  double m_ratio = 0;
};

}  // namespace

int main(int argc, char** argv) {
  double maxRatio = 0;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--max_ratio=", 12) == 0) {
      maxRatio = std::atof(argv[i] + 12);
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  CRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const double ratio = reporter.Ratio();
  if (ratio <= 0) {
    std::printf("ratio: unknown (the ratio benchmark did not run)\n");
    return 1;
  }
  std::printf("ratio: %.2f\n", ratio);
  return maxRatio > 0 && ratio > maxRatio ? 1 : 0;
}
