// setuppack build: the package a launcher reads, from the settings file, the
// pictures and the product's files on their disc folders.

#include <cwctype>
#include <optional>

#include "Autorun.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "Console.h"
#include "FileIo.h"
#include "IconFile.h"
#include "ProductFiles.h"
#include "Progress.h"
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
constexpr std::uint64_t kMaxIconFile = 16u << 20;

struct BuildInputs {
  std::vector<char> settings;
  std::optional<std::vector<char>> launcherPicture;
  std::optional<std::vector<char>> wizardPicture;
  std::optional<std::vector<char>> icon;
};

// What --autorun adds to the first disc's folder.
struct AutorunOutputs {
  std::wstring label;
  std::filesystem::path folder;
  std::vector<char> inf;
  CAtomicFile infFile;
  CAtomicFile iconFile;  // created only with --icon
};

class CBuild {
 public:
  explicit CBuild(const CommandLine& line) : m_line(line) {}
  int Run();

 private:
  bool ReadInputs();
  bool ReadPicture(const std::filesystem::path& path, const char* role,
                   std::optional<std::vector<char>>& bytes);
  bool ReadIcon();
  bool CheckNames();
  bool LookAtFiles();
  bool PrepareAutorun();
  bool OutputIsNoInput();
  bool ReadFiles();
  bool WriteAndVerify();
  bool WriteAutorun();
  bool Commit();
  bool CreateOutput(CAtomicFile& file, const std::filesystem::path& target);
  std::vector<PackageMember> Members() const;
  int Refuse(int line, const std::string& problem) const;

  const CommandLine& m_line;
  BuildInputs m_inputs;
  SetupInfo m_info;
  SettingsLines m_lines;
  std::vector<ProductFile> m_files;
  CAtomicFile m_output;
  std::optional<AutorunOutputs> m_autorun;
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
  bytes = ReadInputFile(path, kMaxPictureFile, tooLarge);
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
      ReadInputFile(m_line.settings, kMaxSettingsFile, tooLarge);
  if (!settings) {
    Fail(tooLarge ? "the settings file " + QuotedPath(m_line.settings) + " is larger than 16 MiB"
                  : "cannot read the settings file " + QuotedPath(m_line.settings));
    return false;
  }
  m_inputs.settings = std::move(*settings);
  return ReadPicture(m_line.launcherPicture, "launcher", m_inputs.launcherPicture) &&
         ReadPicture(m_line.wizardPicture, "wizard", m_inputs.wizardPicture) && ReadIcon();
}

bool CBuild::ReadIcon() {
  if (m_line.icon.empty()) return true;
  bool tooLarge = false;
  m_inputs.icon = ReadInputFile(m_line.icon, kMaxIconFile, tooLarge);
  if (!m_inputs.icon) {
    Fail(tooLarge ? "the icon " + QuotedPath(m_line.icon) + " is larger than 16 MiB"
                  : "cannot read the icon " + QuotedPath(m_line.icon));
    return false;
  }
  if (const std::optional<std::string> fault = IconFileFault(*m_inputs.icon)) {
    Fail("the icon " + QuotedPath(m_line.icon) + " " + *fault);
    return false;
  }
  return true;
}

// A new temporary file for each output before any file is read: a folder
// that takes no files is told at once, not after minutes of reading.
bool CBuild::CreateOutput(CAtomicFile& file, const std::filesystem::path& target) {
  std::error_code error;
  if (std::filesystem::is_directory(target, error)) {
    Fail("the output " + QuotedPath(target) + " is a folder");
    return false;
  }
  if (!file.Create(target)) {
    Fail("cannot create a file in the folder of " + QuotedPath(target));
    return false;
  }
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

// Every file is looked at before any is read, so a missing one is told at once.
bool CBuild::LookAtFiles() {
  m_files = LookAtProductFiles(m_info, m_line.discs);
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    const FileEntry& file = m_info.files[i];
    const std::string what = "file " + Quoted(file.name) + " on disc " + Quoted(file.disc);
    const std::string path = QuotedPath(m_files[i].path);
    switch (m_files[i].state) {
      case FileState::Ok:
        continue;
      case FileState::NoDisc:
        Refuse(m_lines.files[i], what + ": no --disc folder is given for that label");
        return false;
      case FileState::Missing:
        Refuse(m_lines.files[i], what + ": " + path + " does not exist");
        return false;
      case FileState::NotRegular:
        Refuse(m_lines.files[i], what + ": " + path + " is not a regular file");
        return false;
      case FileState::TooLarge:
        Refuse(m_lines.files[i], what + ": " + path + " is 4 GiB or larger");
        return false;
      case FileState::Unreadable:
        break;  // only reading tells
    }
  }
  return true;
}

// autorun.inf goes where setup.exe goes: the folder of the first file's disc.
bool CBuild::PrepareAutorun() {
  if (!m_line.autorun) return true;
  if (m_info.files.empty()) {
    Refuse(0,
           "--autorun needs a file row: autorun.inf goes to the folder of the first file's disc");
    return false;
  }
  const std::wstring label = DriveLabel(m_info.title);
  std::optional<std::string> inf = AutorunInf(label, m_inputs.icon.has_value());
  if (!inf) {
    Refuse(m_lines.title, "the title " + Quoted(m_info.title) +
                              " cannot be written in code page 932, as autorun.inf needs it");
    return false;
  }
  m_autorun.emplace();
  m_autorun->label = label;
  m_autorun->folder = FindDisc(m_line.discs, m_info.files[0].disc)->folder;
  m_autorun->inf.assign(inf->begin(), inf->end());
  return CreateOutput(m_autorun->infFile, m_autorun->folder / kAutorunInfName) &&
         (!m_inputs.icon ||
          CreateOutput(m_autorun->iconFile, m_autorun->folder / kAutorunIconName));
}

bool CBuild::ReadFiles() {
  {
    CProgress progress(m_line.progress, BytesToRead(m_files));
    ReadProductFiles(m_info, m_files, progress);
    progress.Finish();
  }
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    const ProductFile& found = m_files[i];
    if (found.state != FileState::Ok) {
      Refuse(m_lines.files[i], "file " + Quoted(m_info.files[i].name) + " on disc " +
                                   Quoted(m_info.files[i].disc) + ": " + QuotedPath(found.path) +
                                   " cannot be read");
      return false;
    }
    m_info.files[i].size = static_cast<std::uint32_t>(found.size);
    m_info.files[i].hash = found.hash;
  }
  return true;
}

namespace {

// The same file, also where it does not exist yet.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  std::filesystem::path::string_type first =
      std::filesystem::absolute(a, error).lexically_normal().native();
  std::filesystem::path::string_type second =
      std::filesystem::absolute(b, error).lexically_normal().native();
#ifdef _WIN32
  // Case does not tell Windows names apart.
  for (auto* name : {&first, &second})
    for (wchar_t& ch : *name) ch = static_cast<wchar_t>(std::towupper(ch));
#endif
  return first == second;
}

}  // namespace

bool CBuild::OutputIsNoInput() {
  std::vector<std::filesystem::path> inputs;
  for (const ProductFile& file : m_files) inputs.push_back(file.path);
  inputs.push_back(m_line.settings);
  if (!m_line.launcherPicture.empty()) inputs.push_back(m_line.launcherPicture);
  if (!m_line.wizardPicture.empty()) inputs.push_back(m_line.wizardPicture);
  std::vector<std::filesystem::path> outputs{m_line.output};
  if (m_autorun) {
    outputs.push_back(m_autorun->folder / kAutorunInfName);
    const std::filesystem::path icon = m_autorun->folder / kAutorunIconName;
    if (m_inputs.icon) inputs.push_back(m_line.icon);
    // The icon may be the very file it is copied to: the copy changes nothing.
    if (m_inputs.icon && !SameFile(icon, m_line.icon)) outputs.push_back(icon);
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (const std::filesystem::path& input : inputs) {
      if (SameFile(outputs[i], input)) {
        Fail("the output " + QuotedPath(outputs[i]) + " is the input " + QuotedPath(input));
        return false;
      }
    }
    // Only the package can meet another output: autorun.inf and its icon
    // have names of their own.
    if (i > 0 && SameFile(outputs[i], m_line.output)) {
      Fail("the output " + QuotedPath(m_line.output) + " is the file that --autorun writes");
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
  return true;
}

bool CBuild::WriteAutorun() {
  if (!m_autorun) return true;
  if (!m_autorun->infFile.WriteAll(m_autorun->inf)) {
    Fail("cannot write " + QuotedPath(m_autorun->infFile.TempPath()));
    return false;
  }
  if (m_inputs.icon && !m_autorun->iconFile.WriteAll(*m_inputs.icon)) {
    Fail("cannot write " + QuotedPath(m_autorun->iconFile.TempPath()));
    return false;
  }
  return true;
}

// Every output is complete before the first replaces its target; the
// package comes last, so a package that lands has its autorun.inf.
bool CBuild::Commit() {
  std::vector<std::pair<CAtomicFile*, std::filesystem::path>> commits;
  if (m_autorun && m_inputs.icon)
    commits.emplace_back(&m_autorun->iconFile, m_autorun->folder / kAutorunIconName);
  if (m_autorun) commits.emplace_back(&m_autorun->infFile, m_autorun->folder / kAutorunInfName);
  commits.emplace_back(&m_output, m_line.output);
  for (auto& [file, target] : commits) {
    if (!file->Commit()) {
      Fail("cannot replace " + QuotedPath(target) + " (is it open in another program?)");
      return false;
    }
  }
  return true;
}

int CBuild::Run() {
  if (!ReadInputs() || !CreateOutput(m_output, m_line.output)) return 1;
  // The settings go through the launcher's own reader.
  ParseSettings(m_inputs.settings, m_info, &m_lines);
  if (!CheckNames() || !LookAtFiles() || !PrepareAutorun() || !OutputIsNoInput() || !ReadFiles() ||
      !WriteAndVerify() || !WriteAutorun() || !Commit()) {
    return 1;
  }
  std::string report = "wrote " + PathToUtf8(m_line.output) + ": " +
                       std::to_string(m_info.files.size()) + " files, " +
                       std::to_string(BytesToInstall(m_info)) + " bytes to install\n";
  if (m_autorun) report += "wrote " + PathToUtf8(m_autorun->folder / kAutorunInfName) + "\n";
  if (m_autorun && m_inputs.icon)
    report += "wrote " + PathToUtf8(m_autorun->folder / kAutorunIconName) + "\n";
  PrintOut(report);
  if (m_autorun && m_autorun->label != m_info.title)
    PrintErr("setuppack: note: the drive's label is " + Quoted(m_autorun->label) +
             ", the title's first " + std::to_string(kMaxDriveLabel) +
             " characters without blanks at either end\n");
  return 0;
}

}  // namespace

int RunBuild(const CommandLine& line) { return CBuild(line).Run(); }
