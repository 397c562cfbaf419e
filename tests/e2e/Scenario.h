// What one end-to-end scenario works with: its private folders (set up by
// run-scenario.sh), the program under test, the fixtures built by CMake and
// the disc drive Q:, whose disc the scenario swaps.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// How long a scenario waits for something that should happen (a window, a
// file, a process end). Generous: two test prefixes may share two cores.
inline constexpr DWORD kWaitMs = 20000;
// How long a scenario watches for something that must not happen (a second
// window, another message box) before it takes the absence as settled.
inline constexpr DWORD kQuietMs = 800;

// The scenario's scratch folder, inside its own prefix's reach; empty when
// the driver was not started by run-scenario.sh.
const std::wstring& WorkDir();
// Root of the fixtures: one folder per product, one subfolder per disc label
// (fixtures\single\DISC1\...). Shared by all scenarios: copy, never change.
const std::wstring& FixturesDir();
// The setup.exe under test.
const std::wstring& SetupProgram();
// e2e_opener.exe, which RegisterDocumentOpener makes the program for a type.
const std::wstring& OpenerProgram();

// "a\" + "b" -> "a\b"; an empty base yields name.
std::wstring JoinPath(const std::wstring& base, const std::wstring& name);
std::wstring WithBackslash(std::wstring path);
std::wstring WithoutBackslash(std::wstring path);  // keeps "Q:\" whole
// Same file-system path: case-insensitive, "." and ".." resolved, a final
// backslash ignored.
bool SamePath(const std::wstring& a, const std::wstring& b);

// FixturesDir()\fixture\label: the master copy of one disc. Read-only.
std::wstring FixtureDisc(const std::wstring& fixture, const std::wstring& label);

// Copies one disc of a fixture to folder (created with its parents) and,
// with withSetup, the program under test beside it as setup.exe, as a
// publisher's disc holds it. The copy is the scenario's to change.
[[nodiscard]] bool CopyFixtureDisc(const std::wstring& fixture, const std::wstring& label, const std::wstring& folder,
                                   bool withSetup = true);

// The disc drive. It starts empty; InsertDisc puts a prepared disc in.
inline constexpr wchar_t kDiscDrive[] = L"Q:\\";

// One disc prepared for this scenario: a private copy of a fixture's disc,
// kept in WorkDir() while it is out of the drive.
class CDisc {
 public:
  CDisc() = default;
  const std::wstring& Label() const { return m_label; }
  explicit operator bool() const { return !m_home.empty(); }
  bool IsInserted() const;
  // Where its files are right now: Q:\ while inserted, else its own folder.
  std::wstring Root() const;
  std::wstring Path(const std::wstring& relative) const { return JoinPath(Root(), relative); }

 private:
  friend CDisc PrepareDisc(const std::wstring&, const std::wstring&, bool);
  friend bool InsertDisc(const CDisc&);
  friend bool EjectDisc();
  std::wstring m_label;
  std::wstring m_home;  // WorkDir()\discs\<n>; holds the folder "disc" while out
};

// Copies a fixture's disc (setup.exe added with withSetup) into the
// scenario's own disc shelf. An empty CDisc when the fixture has no such disc.
CDisc PrepareDisc(const std::wstring& fixture, const std::wstring& label, bool withSetup = true);
// Takes out the disc that is in the drive, if any, and puts disc in: from
// then on Q: shows its files, also to processes whose current directory is
// the drive's root.
[[nodiscard]] bool InsertDisc(const CDisc& disc);
// Leaves the drive empty: the root of Q: then does not exist.
[[nodiscard]] bool EjectDisc();

// Makes e2e_opener.exe the program that opens documents of the type
// extension (".txt"), so that a scenario sees what was opened, and from
// where, without starting a real viewer.
[[nodiscard]] bool RegisterDocumentOpener(const std::wstring& extension);

// One document opened through e2e_opener.exe.
struct COpenedDocument {
  std::wstring file;    // the path it was given, as given
  std::wstring folder;  // its current directory
  // file, made absolute against folder when it is relative.
  std::wstring FullPath() const;
};
// Waits for the next document that e2e_opener.exe reports, in the order
// they were opened; nothing when none is opened in time.
std::optional<COpenedDocument> WaitDocumentOpened(DWORD timeoutMs = kWaitMs);

}  // namespace e2e
