#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestPackage.h"
#include "package/PackageFile.h"

namespace {

using testing_support::AppendLe32;
using testing_support::BuildPackage;
using testing_support::CTempDir;
using testing_support::WriteBytes;

// Header with count, then raw index bytes as given.
std::string Header(std::int32_t count) {
  std::string out = "ARC1";
  AppendLe32(out, static_cast<std::uint32_t>(count));
  return out;
}

std::string Entry(std::uint32_t offset, std::uint32_t size, std::string_view name) {
  std::string out;
  AppendLe32(out, offset);
  AppendLe32(out, size);
  out.push_back(static_cast<char>(name.size()));
  out += name;
  return out;
}

class PackageFileTest : public ::testing::Test {
 protected:
  std::filesystem::path Write(std::string_view bytes) {
    const std::filesystem::path path = m_dir.Path() / ("setup" + std::to_string(m_next++));
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
  }

  CTempDir m_dir;
  int m_next = 0;
};

TEST_F(PackageFileTest, OpensOnlyConsistentPackages) {
  struct Case {
    const char* what;
    std::string bytes;
    bool opens;
    std::size_t entries;
  } cases[] = {
      {"empty index", Header(0), true, 0},
      {"negative count is an empty index", Header(-1), true, 0},
      {"most negative count", Header(INT32_MIN) + "junk", true, 0},
      {"magic in small letters", "arc1" + Header(0).substr(4), false, 0},
      {"other magic", "ARC2" + Header(0).substr(4), false, 0},
      {"shorter than the magic", "ARC", false, 0},
      {"magic without count", "ARC1", false, 0},
      {"empty file", "", false, 0},
      // Must be refused at once, without reserving 2^31 entries.
      {"count the file cannot hold", Header(INT32_MAX) + std::string(12, '\0'), false, 0},
      {"index ends early", Header(2) + Entry(8, 0, "ABC") + std::string(8, '\0'), false, 0},
      {"name cut short", Header(1) + Entry(8, 0, "ABCDEFGHIJ").substr(0, 14), false, 0},
      {"offset of 2^31", Header(1) + Entry(0x80000000u, 0, "A"), false, 0},
      {"data past the end", Header(1) + Entry(18, 2, "A") + "x", false, 0},
      {"offset plus size wraps 32 bits", Header(1) + Entry(18, 0xFFFFFFFFu, "A") + "x", false, 0},
      {"data ending at the end", Header(1) + Entry(18, 1, "A") + "x", true, 1},
      {"empty member at the very end", Header(1) + Entry(18, 0, "A"), true, 1},
      {"data inside the index", Header(2) + Entry(0, 4, "A") + Entry(4, 4, ""), true, 2},
  };
  for (const Case& c : cases) {
    CPackageFile package;
    EXPECT_EQ(package.OpenPackage(Write(c.bytes)), c.opens) << c.what;
    EXPECT_EQ(package.Entries().size(), c.entries) << c.what;
    if (!c.opens) {
      EXPECT_FALSE(package.LoadMember("A")) << c.what;
    }
  }
  CPackageFile package;
  EXPECT_FALSE(package.OpenPackage(m_dir.Path() / "missing"));
}

TEST_F(PackageFileTest, ServesMembersByUpperCasedName) {
  const std::string package = BuildPackage({
      {"Setting.Csv", "first"},
      {"SETTING.CSV", "second"},
      {"filesize", ""},
      {"", "nameless"},
      {"\x82\x81\x82\x82", "full-width ab"},  // ａｂ
      {"\x83\x61", "katakana with trail 'a'"},
  });
  CPackageFile reader;
  ASSERT_TRUE(reader.OpenPackage(Write(package)));
  EXPECT_EQ(reader.Entries()[0].name, "SETTING.CSV");

  struct Case {
    const char* request;
    std::optional<std::string> expected;
  } cases[] = {
      {"setting.csv", "first"},
      {"SETTING.CSV", "first"},
      {"sEtTiNg.cSv", "first"},
      {"filesize", ""},
      {"", "nameless"},
      {"\x82\x60\x82\x61", "full-width ab"},  // ＡＢ
      {"\x82\x81\x82\x61", "full-width ab"},  // ａＢ
      {"\x83\x61", "katakana with trail 'a'"},
      {"\x83\x41", std::nullopt},  // the trail byte is never upper-cased
      {"setup.bmp", std::nullopt},
      {"setting.csv ", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<std::vector<char>> member = reader.LoadMember(c.request);
    ASSERT_EQ(member.has_value(), c.expected.has_value()) << c.request;
    if (member) {
      EXPECT_EQ(std::string(member->begin(), member->end()), *c.expected) << c.request;
    }
  }
}

TEST_F(PackageFileTest, ReopeningDiscardsTheOldIndex) {
  CPackageFile reader;
  ASSERT_TRUE(reader.OpenPackage(Write(BuildPackage({{"a", "1"}, {"b", "2"}}))));
  ASSERT_TRUE(reader.OpenPackage(Write(BuildPackage({{"c", "3"}}))));
  EXPECT_EQ(reader.Entries().size(), 1u);
  EXPECT_FALSE(reader.LoadMember("a"));
  EXPECT_TRUE(reader.LoadMember("c"));

  EXPECT_FALSE(reader.OpenPackage(Write("junk")));
  EXPECT_TRUE(reader.Entries().empty());
  EXPECT_FALSE(reader.LoadMember("c"));
}

TEST_F(PackageFileTest, MemberCutOffAfterOpeningReadsAsMissing) {
  // Larger than any stdio buffer, so the read reaches the medium.
  const std::filesystem::path path = Write(BuildPackage({{"a", std::string(1 << 20, 'x')}}));
  CPackageFile reader;
  ASSERT_TRUE(reader.OpenPackage(path));
#ifndef _WIN32  // Windows refuses to truncate a file the reader holds exclusively.
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - 1);
  EXPECT_FALSE(reader.LoadMember("a"));
#endif
}

}  // namespace
