// ReadRegString and WriteRegString against the real registry, in a key of
// their own below HKEY_LOCAL_MACHINE\SOFTWARE that is removed afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "win/Handles.h"
#include "win/Registry.h"

namespace {

const std::wstring kDefault = L"<default>";

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    m_root = L"SOFTWARE\\SetupRegistryTest" + std::to_wstring(::GetCurrentProcessId());
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_root.c_str());
  }
  void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_root.c_str()); }

  // Stores raw data the way another program could have left it.
  void SetRaw(const std::wstring& key, DWORD type, const void* data, DWORD bytes) {
    win::UniqueKey handle;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, handle.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(handle.get(), L"path", 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
  }
  void SetString(const std::wstring& key, DWORD type, const std::wstring& text) {
    SetRaw(key, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  std::wstring m_root;
};

TEST_F(RegistryTest, ReadsOnlyAStoredStringThatFits) {
  const std::wstring fits(259, L'x');     // 259 characters and the zero: 260
  const std::wstring tooLong(260, L'y');  // one over
  const DWORD number = 42;
  struct Case {
    const char* what;
    DWORD type;                // 0: nothing stored
    std::wstring stored;
    std::wstring expected;
  } cases[] = {
      {"missing key", 0, L"", kDefault},
      {"plain folder", REG_SZ, L"C:\\Games\\Sample\\", L"C:\\Games\\Sample\\"},
      {"Japanese folder", REG_SZ, L"C:\\Program Files\\サンプル工房\\星の旅人\\",
       L"C:\\Program Files\\サンプル工房\\星の旅人\\"},
      {"empty value is the stored text", REG_SZ, L"", L""},
      {"expandable string", REG_EXPAND_SZ, L"%ProgramFiles%\\Sample\\", kDefault},
      {"multi-string", REG_MULTI_SZ, L"C:\\Games\\", kDefault},
      {"exactly at the limit", REG_SZ, fits, fits},
      {"one over the limit", REG_SZ, tooLong, kDefault},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring key = m_root + L"\\Case" + std::to_wstring(index++);
    if (c.type != 0) SetString(key, c.type, c.stored);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", kDefault), c.expected);
  }

  SCOPED_TRACE("other cases");
  const std::wstring dwordKey = m_root + L"\\Number";
  SetRaw(dwordKey, REG_DWORD, &number, sizeof number);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, dwordKey, L"path", kDefault), kDefault);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, dwordKey, L"other", kDefault), kDefault);
}

TEST_F(RegistryTest, ReadsDataWithoutTerminatorOrWithEmbeddedZeroSafely) {
  // Another program may store a REG_SZ without its zero, or with text after
  // one: the read never runs past the data and stops at the first zero.
  const std::wstring key = m_root + L"\\Raw";
  const std::wstring fits(259, L'z');  // room left for the zero the data lacks
  SetRaw(key, REG_SZ, fits.data(), static_cast<DWORD>(fits.size() * sizeof(wchar_t)));
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", kDefault), fits);

  const wchar_t embedded[] = L"C:\\A\\\0junk";
  SetRaw(key, REG_SZ, embedded, sizeof embedded);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", kDefault), L"C:\\A\\");

  const char odd[] = {'A', 0, 'B'};  // a byte count that is not whole characters
  SetRaw(key, REG_SZ, odd, sizeof odd);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", kDefault), L"A");
}

TEST_F(RegistryTest, WriteCreatesTheWholePathAndOverwrites) {
  const std::wstring key = m_root + L"\\サンプル工房\\星の旅人";
  EXPECT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, key, L"path", L"C:\\First\\"), ERROR_SUCCESS);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", kDefault), L"C:\\First\\");
  EXPECT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, key, L"path", L"D:\\ゲーム\\"), ERROR_SUCCESS);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", kDefault), L"D:\\ゲーム\\");

  // Stored as REG_SZ with its terminating zero, and nothing else beside it.
  win::UniqueKey handle;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, handle.put()), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD bytes = 0;
  ASSERT_EQ(::RegQueryValueExW(handle.get(), L"path", nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, sizeof(L"D:\\ゲーム\\"));
  DWORD values = 0;
  DWORD subkeys = 0;
  ASSERT_EQ(::RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(subkeys, 0u);

  // What the read refuses, the write still stores: the record then reads as
  // not installed.
  EXPECT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, key, L"path", std::wstring(300, L'w')), ERROR_SUCCESS);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", L""), L"");
}

TEST_F(RegistryTest, EmptyKeyPathNeverTouchesTheRoot) {
  // A product without maker or title has no record; the root key itself
  // must neither be read as one nor written.
  EXPECT_NE(WriteRegString(HKEY_LOCAL_MACHINE, L"", L"SetupRegistryTestValue", L"C:\\X\\"),
            ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(::RegQueryValueExW(HKEY_LOCAL_MACHINE, L"SetupRegistryTestValue", nullptr, &type,
                               nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, L"", L"path", kDefault), kDefault);
}

}  // namespace
