// e2e_fixture: lays out one product, a folder per disc label with the files
// its settings list and the package on DISC1, built by setuppack's own build.
// The settings, kept in UTF-8, go in as a publisher writes them: code page
// 932, CR LF. The program is the sample game, the readme a short text, a
// file named empty* is empty, every other holds its own name. DXSETUP
// becomes DISC1's DirectX set-up.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <string>

#include "Commands.h"
#include "package/SetupInfo.h"
#include "text/Cp932Encoder.h"
#include "text/Utf8.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool WriteText(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  return static_cast<bool>(out << bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 && argc != 7) {
    std::cerr
        << "usage: e2e_fixture SETTINGS.utf8.csv OUT LAUNCHER.bmp WIZARD.bmp GAME [DXSETUP]\n";
    return 2;
  }
  const fs::path out = argv[2];
  const std::string name = out.filename().string();
  const std::optional<std::string> settings =
      EncodeCp932(text::FromUtf8(std::regex_replace(ReadText(argv[1]), std::regex("\n"), "\r\n")));
  if (!settings) {
    std::cerr << argv[1] << ": not all of it has a code in code page 932\n";
    return 1;
  }
  SetupInfo info;
  ParseSettings(std::vector<char>(settings->begin(), settings->end()), info);

  fs::remove_all(out);
  fs::create_directories(out / "DISC1");
  CommandLine line;
  line.command = Command::Build;
  line.settings = out / "setting.csv";
  line.launcherPicture = argv[3];
  line.wizardPicture = argv[4];
  line.output = out / "DISC1" / "setup";
  line.discs.push_back({L"DISC1", out / "DISC1"});
  bool written = WriteText(line.settings, *settings);
  for (const FileEntry& file : info.files) {
    const fs::path disc = out / text::ToUtf8(file.disc);
    if (std::none_of(line.discs.begin(), line.discs.end(),
                     [&](const DiscFolder& known) { return known.label == file.disc; }))
      line.discs.push_back({file.disc, disc});
    std::string relative = text::ToUtf8(file.name), content;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    if (file.name == info.exeFile) {
      content = ReadText(argv[5]);
    } else if (file.name == info.readmeFile) {
      content = name + ": readme\r\n";
    } else if (fs::path(relative).filename().string().rfind("empty", 0) != 0) {
      for (int i = 0; i < 64; ++i) content += name + " " + text::ToUtf8(file.name) + "\r\n";
    }
    written = WriteText(disc / relative, content) && written;
  }
  if (argc == 7)
    written = WriteText(out / "DISC1/directx/dxsetup.exe", ReadText(argv[6])) && written;
  return written ? RunBuild(line) : 1;
}
