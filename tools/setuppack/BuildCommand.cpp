// setuppack build: the package a launcher reads, from the settings file, the
// pictures and the product's files on their disc folders.

#include <optional>

#include "CommandSupport.h"
#include "Commands.h"
#include "Console.h"
#include "FileIo.h"
#include "package/Bitmap.h"
#include "package/Members.h"
#include "package/PackageFile.h"
#include "package/PackageWriter.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"
#include "text/Utf8.h"

namespace {

// Far above any real settings file or picture, and low enough that the
// 32-bit tool can hold both in memory.
constexpr std::uint64_t kMaxSettingsFile = 16u << 20;
constexpr std::uint64_t kMaxPictureFile = 256u << 20;

struct BuildInputs {
  std::vector<char> settings;
  std::optional<std::vector<char>> launcherPicture;
  std::optional<std::vector<char>> wizardPicture;
};

class CBuild {
 public:
  explicit CBuild(const CommandLine& line) : m_line(line) {}
  int Run();

 private:
  bool ReadInputs();
  bool ReadPicture(const std::filesystem::path& path, const char* role,
                   std::optional<std::vector<char>>& bytes);
  bool LoadSettingsLikeLauncher();
  bool CheckNames();
  bool FindFiles();
  bool OutputIsNoInput();
  bool WriteAndVerify();
  std::vector<PackageMember> Members() const;
  int Refuse(int line, const std::string& problem) const;

  const CommandLine& m_line;
  BuildInputs m_inputs;
  SetupInfo m_info;
  SettingsLines m_lines;
  std::vector<std::filesystem::path> m_filePaths;
  CAtomicFile m_output;
};

int CBuild::Refuse(int line, const std::string& problem) const {
  std::string where = QuotedPath(m_line.settings);
  if (line > 0) where += " line " + std::to_string(line);
  return Fail(where + ": " + problem);
}

bool CBuild::ReadPicture(const std::filesystem::path& path, const char* role,
                         std::optional<std::vector<char>>& bytes) {
  if (path.empty()) return true;
  bool tooLarge = false;
  bytes = ReadWholeFile(path, kMaxPictureFile, tooLarge);
  if (!bytes) {
    std::string picture = std::string(role) + " picture " + QuotedPath(path);
    Fail(tooLarge ? "the " + picture + " is larger than 256 MiB" : "cannot read the " + picture);
    return false;
  }
  if (!ParseBitmap(bytes->data(), bytes->size())) {
    Fail(std::string("the ") + role + " picture " + QuotedPath(path) +
         " is not an uncompressed BMP file");
    return false;
  }
  return true;
}

bool CBuild::ReadInputs() {
  bool tooLarge = false;
  std::optional<std::vector<char>> settings =
      ReadWholeFile(m_line.settings, kMaxSettingsFile, tooLarge);
  if (!settings) {
    Fail(tooLarge ? "the settings file " + QuotedPath(m_line.settings) + " is larger than 16 MiB"
                  : "cannot read the settings file " + QuotedPath(m_line.settings));
    return false;
  }
  m_inputs.settings = std::move(*settings);
  return ReadPicture(m_line.launcherPicture, "launcher", m_inputs.launcherPicture) &&
         ReadPicture(m_line.wizardPicture, "wizard", m_inputs.wizardPicture);
}

// The settings go through the launcher's own reader.
bool CBuild::LoadSettingsLikeLauncher() {
  std::error_code error;
  if (std::filesystem::is_directory(m_line.output, error)) {
    Fail("the output " + QuotedPath(m_line.output) + " is a folder");
    return false;
  }
  if (!m_output.Create(m_line.output)) {
    Fail("cannot create a file in the folder of " + QuotedPath(m_line.output));
    return false;
  }
  ParseSettings(m_inputs.settings, m_info, &m_lines);
  return true;
}

// The launcher's own check: the line of the field or entry it names, and
// its reason.
bool CBuild::CheckNames() {
  const std::optional<UnsafeName> unsafe = FindUnsafeName(m_info);
  if (!unsafe) return true;
  Refuse(FieldLine(m_lines, *unsafe), text::ToUtf8(unsafe->reason));
  return false;
}

bool CBuild::FindFiles() {
  for (std::size_t i = 0; i < m_info.files.size(); ++i) {
    FileEntry& file = m_info.files[i];
    std::string what = "file " + Quoted(file.name) + " on disc " + Quoted(file.disc);
    const DiscFolder* disc = FindDisc(m_line.discs, file.disc);
    if (disc == nullptr) {
      Refuse(m_lines.files[i], what + ": no --disc folder is given for that label");
      return false;
    }
    std::filesystem::path path = DiscFilePath(disc->folder, file.name);
    ProductFile found = InspectProductFile(path);
    switch (found.state) {
      case FileState::Ok:
        break;
      case FileState::Missing:
        Refuse(m_lines.files[i], what + ": " + QuotedPath(path) + " does not exist");
        return false;
      case FileState::NotRegular:
        Refuse(m_lines.files[i], what + ": " + QuotedPath(path) + " is not a regular file");
        return false;
      case FileState::TooLarge:
        Refuse(m_lines.files[i], what + ": " + QuotedPath(path) + " is 4 GiB or larger");
        return false;
      case FileState::Unreadable:
        Refuse(m_lines.files[i], what + ": " + QuotedPath(path) + " cannot be read");
        return false;
    }
    m_filePaths.push_back(path);
    file.size = static_cast<std::uint32_t>(found.size);
    file.hash = found.hash;
  }
  return true;
}

bool CBuild::OutputIsNoInput() {
  std::vector<std::filesystem::path> inputs = m_filePaths;
  inputs.push_back(m_line.settings);
  if (!m_line.launcherPicture.empty()) inputs.push_back(m_line.launcherPicture);
  if (!m_line.wizardPicture.empty()) inputs.push_back(m_line.wizardPicture);
  for (const std::filesystem::path& input : inputs) {
    std::error_code error;  // an output that does not exist yet is no input
    if (std::filesystem::equivalent(m_line.output, input, error)) {
      Fail("the output " + QuotedPath(m_line.output) + " is the input " + QuotedPath(input));
      return false;
    }
  }
  return true;
}

std::vector<PackageMember> CBuild::Members() const {
  std::vector<PackageMember> members{{kSettingsMember, m_inputs.settings},
                                     {kSizesMember, EncodeFileSizes(m_info)},
                                     {kHashesMember, EncodeFileHashes(m_info)}};
  if (m_inputs.launcherPicture)
    members.push_back({kLauncherPictureMember, *m_inputs.launcherPicture});
  if (m_inputs.wizardPicture) members.push_back({kWizardPictureMember, *m_inputs.wizardPicture});
  return members;
}

// The package is read back through the launcher's reader before it replaces
// the target, so a package that lands is one the launcher accepts.
bool CBuild::WriteAndVerify() {
  std::optional<std::vector<char>> package = BuildPackage(Members());
  if (!package) {
    Fail("the settings and pictures are too large for a package (2 GiB)");
    return false;
  }
  if (!m_output.WriteAll(*package)) {
    Fail("cannot write " + QuotedPath(m_output.TempPath()));
    return false;
  }

  CPackageFile reader;
  SetupInfo readBack;
  bool same = reader.OpenPackage(m_output.TempPath()) && LoadSettings(reader, readBack) &&
              LoadFileSizes(reader, readBack) && readBack.files.size() == m_info.files.size();
  if (same) LoadFileHashes(reader, readBack);
  for (std::size_t i = 0; same && i < m_info.files.size(); ++i) {
    same = readBack.files[i].size == m_info.files[i].size &&
           readBack.files[i].hash == m_info.files[i].hash;
  }
  reader.Close();
  if (!same) {
    Fail("the written package does not read back as built: " + QuotedPath(m_output.TempPath()));
    return false;
  }
  if (!m_output.Commit()) {
    Fail("cannot replace " + QuotedPath(m_line.output) + " (is it open in another program?)");
    return false;
  }
  return true;
}

int CBuild::Run() {
  if (!ReadInputs() || !LoadSettingsLikeLauncher() || !CheckNames() || !FindFiles() ||
      !OutputIsNoInput() || !WriteAndVerify()) {
    return 1;
  }
  PrintOut("wrote " + PathToUtf8(m_line.output) + ": " + std::to_string(m_info.files.size()) +
           " files, " + std::to_string(BytesToInstall(m_info)) + " bytes to install\n");
  return 0;
}

}  // namespace

int RunBuild(const CommandLine& line) { return CBuild(line).Run(); }
