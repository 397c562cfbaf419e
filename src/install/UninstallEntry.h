// The product's entry in the system's list of installed programs (Apps &
// features): which key holds it, the values and commands written there, and
// whether the entry under a name is the product's own. An installation
// writes it (and has the install record name its key), a repair reads where
// the installation came from, a removal deletes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

struct SetupInfo;

// info's entry under one of its key names (UninstallEntryKeyName), below
// HKEY_LOCAL_MACHINE. info outlives it.
class CUninstallEntry {
 public:
  // The key an installation writes: the first of info's key names that is
  // free or holds info's entry, so that twins whose names meet ("A B" + "C"
  // and "A" + "B C") keep apart and an installation made again keeps its
  // key. None when info has no names (no title or maker) or the first 100
  // all hold other products' entries.
  [[nodiscard]] static std::optional<CUninstallEntry> ToWrite(const SetupInfo& info);
  // The key the install record names (RecordedEntryKeyName); none when that
  // is no key name (empty, or holding a backslash).
  [[nodiscard]] static std::optional<CUninstallEntry> Recorded(const SetupInfo& info);

  // What the install record names (RecordEntryKeyName).
  const std::wstring& KeyName() const { return m_strKeyName; }
  // Below HKEY_LOCAL_MACHINE (UninstallEntryKeyPath).
  const std::wstring& KeyPath() const { return m_strKeyPath; }

  // Whether the key holds info's entry: its DisplayName is info's title and
  // its Publisher info's maker. Another product's entry under the name is
  // never written over or deleted.
  [[nodiscard]] bool IsOurs() const;

  // Writes the entry of the product installed in installDir (a full folder
  // ending in a backslash): installedBytes gives its size, sourceFolder the
  // folder a repair looks for the disc in first. True when every value was
  // written; false when the key could not be made or a value not written,
  // and then what was written of it is deleted again. The caller has the
  // record name the key: without that, the removal would look under the
  // first name.
  [[nodiscard]] bool Write(const std::wstring& installDir, std::uint64_t installedBytes,
                           const std::wstring& sourceFolder) const;

  // Deletes the key while it holds info's entry. True when no entry of
  // info's is left there: deleted, never written, or another product's
  // entry, which stays. False when info's entry stays (the system refused):
  // KeyPath() names it.
  [[nodiscard]] bool Delete() const;

 private:
  CUninstallEntry(const SetupInfo& info, std::wstring keyName, std::wstring keyPath)
      : m_info(info), m_strKeyName(std::move(keyName)), m_strKeyPath(std::move(keyPath)) {}

  const SetupInfo& m_info;
  std::wstring m_strKeyName;
  std::wstring m_strKeyPath;  // never empty
};

// The folder the installation came from (InstallSource), as the entry the
// record names holds it when that entry is info's; empty without one.
[[nodiscard]] std::wstring RecordedInstallSource(const SetupInfo& info);

// The title (DisplayName) of the product whose entry starts the uninstall
// copy in programFolder; empty when no entry does. A removal whose package
// is gone names its log after it.
[[nodiscard]] std::wstring EntryTitleOfCopy(const std::wstring& programFolder);
