// The parts of setuppack with rules of their own: the code page 932 encoder,
// JSON strings, the package writer (read back by the launcher's reader), the
// command line and the settings' line numbers.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "CommandLine.h"
#include "Cp932Encoder.h"
#include "Json.h"
#include "PackageWriter.h"
#include "SettingsLines.h"
#include "package/PackageFile.h"
#include "text/Cp932.h"

namespace {

std::filesystem::path WriteTempFile(const std::string& name, const std::vector<char>& bytes) {
  std::filesystem::path path = std::filesystem::temp_directory_path() / name;
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::vector<char> Bytes(std::string_view text) { return std::vector<char>(text.begin(), text.end()); }

}  // namespace

TEST(Cp932Encoder, EncodesAwkwardCharacters) {
  struct Case {
    const wchar_t* text;
    const char* bytes;  // nullptr: not encodable
  } cases[] = {
      {L"", ""},
      {L"A\\~", "A\\~"},
      {L"表", "\x95\x5C"},          // trail byte is the backslash
      {L"ソ", "\x83\x5C"},
      {L"ｱﾞ", "\xB1\xDE"},          // half-width katakana are single bytes
      {L"ファイル", "\x83\x74\x83\x40\x83\x43\x83\x8B"},
      {L"Ⅰ", "\x87\x54"},          // NEC row 13, not the IBM duplicate
      {L"ⅰ", "\xFA\x40"},          // IBM extension, not the NEC selection
      {L"\uFFE2", "\x81\xCA"},  // fullwidth not sign, first of three codes
      {L"é", nullptr},
      {L"\uFFFD", nullptr},
      {L"表é", nullptr},
  };
  for (const Case& c : cases) {
    std::optional<std::string> encoded = EncodeCp932(c.text);
    if (c.bytes == nullptr) {
      EXPECT_FALSE(encoded) << text::ToUtf8(c.text);
    } else {
      ASSERT_TRUE(encoded) << text::ToUtf8(c.text);
      EXPECT_EQ(*encoded, c.bytes) << text::ToUtf8(c.text);
    }
  }
}

TEST(Cp932Encoder, EveryEncodedCharacterDecodesBack) {
  int encodable = 0;
  for (std::uint32_t ch = 1; ch < 0x10000; ++ch) {
    std::wstring text(1, static_cast<wchar_t>(ch));
    if (std::optional<std::string> bytes = EncodeCp932(text)) {
      ++encodable;
      ASSERT_EQ(text::DecodeCp932(*bytes), text) << "U+" << std::hex << ch;
    }
  }
  EXPECT_GT(encodable, 7000);  // ASCII, katakana, JIS X 0208 and the extensions
}

TEST(Json, EscapesQuotesBackslashesAndControls) {
  EXPECT_EQ(JsonString(L""), "\"\"");
  EXPECT_EQ(JsonString(L"data\\表紙.bmp"), "\"data\\\\表紙.bmp\"");
  EXPECT_EQ(JsonString(L"say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(JsonString(std::wstring(L"a\0b", 3)), "\"a\\u0000b\"");
  EXPECT_EQ(JsonString(L"\t\n\x1F\x7F"), "\"\\u0009\\u000A\\u001F\\u007F\"");
  EXPECT_EQ(JsonString(L"\uFFFD"), "\"\xEF\xBF\xBD\"");
}

TEST(PackageWriter, LauncherReadsWhatIsWritten) {
  std::string japanese = *EncodeCp932(L"表紙.txt");
  std::optional<std::vector<char>> package = BuildPackage({
      {"setting.csv", Bytes("a,b\n")},
      {"Empty", {}},
      {japanese, Bytes("cover")},
      {"SETTING.CSV", Bytes("shadowed")},
  });
  ASSERT_TRUE(package);
  std::filesystem::path path = WriteTempFile("setuppack_writer_test", *package);

  CPackageFile reader;
  ASSERT_TRUE(reader.OpenPackage(path));
  EXPECT_EQ(reader.LoadMember("Setting.Csv"), Bytes("a,b\n"));  // the earlier entry wins
  EXPECT_EQ(reader.LoadMember("empty"), std::vector<char>());
  EXPECT_EQ(reader.LoadMember(japanese), Bytes("cover"));
  EXPECT_FALSE(reader.LoadMember("filesize"));
  reader.Close();

  std::optional<std::vector<StoredEntry>> index = ReadStoredIndex(path);
  ASSERT_TRUE(index);
  ASSERT_EQ(index->size(), 4u);
  EXPECT_EQ((*index)[1].name, "Empty");  // stored case, unlike the reader's
  EXPECT_EQ((*index)[2].name, japanese);
  EXPECT_EQ((*index)[0].offset, 8u + 4 * 9 + 11 + 5 + japanese.size() + 11);
  EXPECT_EQ((*index)[2].offset, (*index)[0].offset + 4);

  // A truncated package is refused, not read past its end.
  package->resize(package->size() - 1);
  WriteTempFile("setuppack_writer_test", *package);
  EXPECT_FALSE(ReadStoredIndex(path));
  std::filesystem::remove(path);

  EXPECT_FALSE(BuildPackage({{std::string(256, 'x'), {}}}));
  EXPECT_TRUE(BuildPackage({{std::string(255, 'x'), {}}}));
}

TEST(CommandLine, ParsesAndRejects) {
  auto parse = [](std::vector<Arg> args, CommandLine& line, std::string& error) {
    return ParseCommandLine(args, line, error);
  };
  CommandLine line;
  std::string error;

  ASSERT_TRUE(parse({"build", "--settings", "s.csv", "--disc", "DISC1=a=b", "--disc", "=empty", "-o", "out"}, line, error))
      << error;
  EXPECT_EQ(line.command, Command::Build);
  ASSERT_EQ(line.discs.size(), 2u);
  EXPECT_EQ(line.discs[0].label, L"DISC1");
  EXPECT_EQ(line.discs[0].folder, "a=b");
  EXPECT_EQ(line.discs[1].label, L"");

  ASSERT_TRUE(parse({"extract", "pkg", "表紙", "-o", "x"}, line, error)) << error;
  EXPECT_EQ(line.member, L"表紙");
  EXPECT_EQ(line.output, "x");

  ASSERT_TRUE(parse({"nonsense", "--help"}, line, error));
  EXPECT_EQ(line.command, Command::Help);

  const std::vector<std::vector<Arg>> refused = {
      {},
      {"pack"},
      {"list"},
      {"list", "a", "b"},
      {"show", "pkg", "--disc", "A=b"},             // option of another command
      {"extract", "pkg"},
      {"build", "--settings", "s", "-o", "o"},      // no disc
      {"build", "--settings", "s", "--disc", "A=b"},  // no output
      {"build", "--settings", "s", "--settings", "t", "--disc", "A=b", "-o", "o"},
      {"check", "pkg", "--disc", "DISC1"},
      {"check", "pkg", "--disc", "DISC1="},
      {"check", "pkg", "--disc", "A=x", "--disc", "A=y"},
      {"check", "pkg", "--disc"},
  };
  for (const std::vector<Arg>& args : refused) {
    std::string joined;
    for (const Arg& arg : args) joined += arg + " ";
    EXPECT_FALSE(parse(args, line, error)) << joined;
    EXPECT_FALSE(error.empty()) << joined;
  }
}

TEST(SettingsLines, FollowTheLauncherRows) {
  // Columns in another order, CR LF and LF, an empty line, a later title.
  std::string settings = *EncodeCp932(
      L"パラメータ,項目\r\n"
      L"Old,タイトル\r\n"
      L"a.dat,ファイル\n"
      L"\n"
      L"Readme,メニュー\n"
      L"New,タイトル\n"
      L"b.dat,ファイル");
  SettingsLines lines = FindSettingsLines(settings);
  EXPECT_EQ(lines.title, 6);
  EXPECT_EQ(lines.company, 0);
  EXPECT_EQ(lines.files, (std::vector<int>{3, 7}));
  EXPECT_EQ(lines.menus, (std::vector<int>{5}));
}
