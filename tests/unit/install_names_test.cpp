// The names an installation gives its pieces where they can collide: the
// Apps & features entry's key.
#include <gtest/gtest.h>

#include "install/InstallNames.h"
#include "package/SetupInfo.h"

namespace {

TEST(InstallNames, EntryKeysOfTwinProductsAreNumbered) {
  SetupInfo first, second;
  first.company = L"甲 乙", first.title = L"丙";
  second.company = L"甲", second.title = L"乙 丙";
  EXPECT_EQ(UninstallEntryKeyName(first), L"甲 乙 丙");
  EXPECT_EQ(UninstallEntryKeyName(second), UninstallEntryKeyName(first));
  EXPECT_EQ(UninstallEntryKeyName(second, 2), L"甲 乙 丙 (2)");
  EXPECT_EQ(UninstallEntryKeyPath(L"甲 乙 丙 (2)"),
            L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\甲 乙 丙 (2)");
  // Never the Uninstall key itself, nor a key below another: a record
  // names the key the removal deletes.
  second.title.clear();
  EXPECT_EQ(UninstallEntryKeyName(second), L"");
  EXPECT_EQ(UninstallEntryKeyPath(L""), L"");
  EXPECT_EQ(UninstallEntryKeyPath(L"甲 乙 丙\\..\\X"), L"");
}

}  // namespace
