// ReadRegString and WriteRegString against the real registry, below a key of
// their own that is removed afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "win/Handles.h"
#include "win/Registry.h"

namespace {

const std::wstring kDefault = L"<default>";

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_root.c_str()); }
  void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_root.c_str()); }
  const std::wstring m_root =
      L"SOFTWARE\\SetupRegistryTest" + std::to_wstring(::GetCurrentProcessId());
};

// Raw value data, as another program may have left it.
std::string Raw(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
std::string Sz(const std::wstring& text) { return Raw(text + L'\0'); }

TEST_F(RegistryTest, ReadsOnlyAStoredStringWholeAtAnyLength) {
  const std::wstring fits(259, L'x');  // 259 characters and the zero: 260, once a limit
  struct Case {
    const char* what;
    DWORD type;  // REG_NONE: nothing stored
    std::string data;
    std::wstring expected;
  } cases[] = {
      {"missing value", REG_NONE, "", kDefault},
      {"Japanese folder", REG_SZ, Sz(L"C:\\Program Files\\サンプル工房\\星の旅人\\"),
       L"C:\\Program Files\\サンプル工房\\星の旅人\\"},
      {"empty text", REG_SZ, Sz(L""), L""},
      {"expandable string", REG_EXPAND_SZ, Sz(L"%ProgramFiles%\\Sample\\"), kDefault},
      {"multi-string", REG_MULTI_SZ, Sz(L"C:\\Games\\") + Sz(L""), kDefault},
      {"number", REG_DWORD, std::string("\x2A\0\0\0", 4), kDefault},
      {"exactly at the limit", REG_SZ, Sz(fits), fits},
      {"longer than any path", REG_SZ, Sz(fits + fits), fits + fits},
      {"no terminating zero", REG_SZ, Raw(fits), fits},
      {"text after a zero", REG_SZ, Sz(std::wstring(L"C:\\A\\\0junk", 10)), L"C:\\A\\"},
      {"half a character", REG_SZ, std::string("A\0B", 3), L"A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring key = m_root + L"\\" + std::to_wstring(&c - cases);
    if (c.type != REG_NONE) {
      win::UniqueKey handle;
      ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, handle.put(), nullptr),
                ERROR_SUCCESS);
      ASSERT_EQ(::RegSetValueExW(handle.get(), L"path", 0, c.type,
                                 reinterpret_cast<const BYTE*>(c.data.data()),
                                 static_cast<DWORD>(c.data.size())),
                ERROR_SUCCESS);
    }
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", kDefault), c.expected);
  }
}

TEST_F(RegistryTest, WritesAWholeKeyPathButNeverTheRoot) {
  const std::wstring key = m_root + L"\\サンプル工房\\星の旅人";
  for (const wchar_t* text : {L"C:\\First\\", L"D:\\ゲーム\\"}) {
    EXPECT_EQ(WriteRegString(HKEY_LOCAL_MACHINE, key, L"path", text), ERROR_SUCCESS);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, L"path", kDefault), text);
  }
  // REG_SZ with its terminating zero, as other programs expect.
  DWORD type = 0, bytes = 0;
  ASSERT_EQ(
      ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"path", RRF_RT_ANY, &type, nullptr, &bytes),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, sizeof(L"D:\\ゲーム\\"));

  // A product without maker or title has no record: the root key is never
  // written or read as one.
  EXPECT_NE(WriteRegString(HKEY_LOCAL_MACHINE, L"", L"SetupRegistryTestValue", L"C:\\X\\"),
            ERROR_SUCCESS);
  EXPECT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, nullptr, L"SetupRegistryTestValue", RRF_RT_ANY,
                           nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, L"", L"path", kDefault), kDefault);
}

}  // namespace
