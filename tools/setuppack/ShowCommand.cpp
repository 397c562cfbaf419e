// setuppack show: the settings exactly as the launcher loads them, as JSON.

#include "CommandSupport.h"
#include "Commands.h"
#include "Console.h"
#include "Json.h"
#include "package/Bitmap.h"
#include "package/PackageFile.h"
#include "package/SetupInfo.h"

namespace {

std::string PictureJson(CPackageFile& package, const char* member) {
  std::optional<std::vector<char>> bytes = package.LoadMember(member);
  if (!bytes) return "null";
  std::optional<BitmapLayout> layout = ParseBitmap(bytes->data(), bytes->size());
  if (!layout) return "null";  // the launcher leaves the picture slot empty
  return "{\"width\": " + std::to_string(layout->width) +
         ", \"height\": " + std::to_string(layout->height) +
         ", \"bitCount\": " + std::to_string(layout->bitCount) + "}";
}

}  // namespace

int RunShow(const CommandLine& line) {
  CPackageFile package;
  SetupInfo info;
  if (!OpenLikeLauncher(line.package, package, info)) return 1;

  std::string json = "{\n";
  json += "  \"title\": " + JsonString(info.title) + ",\n";
  json += "  \"company\": " + JsonString(info.company) + ",\n";
  json += "  \"exeFile\": " + JsonString(info.exeFile) + ",\n";
  json += "  \"readmeFile\": " + JsonString(info.readmeFile) + ",\n";
  json += "  \"menuFolder\": " + JsonString(info.menuFolder) + ",\n";
  json += std::string("  \"singleDisc\": ") + (info.singleDisc ? "true" : "false") + ",\n";
  json += "  \"files\": [";
  for (std::size_t i = 0; i < info.files.size(); ++i) {
    const FileEntry& file = info.files[i];
    json += std::string(i == 0 ? "\n" : ",\n") + "    {\"name\": " + JsonString(file.name) +
            ", \"disc\": " + JsonString(file.disc) + ", \"size\": " + std::to_string(file.size) +
            ", \"hash\": " + (file.hash ? "\"" + ToHex(*file.hash) + "\"" : std::string("null")) +
            "}";
  }
  json += info.files.empty() ? "],\n" : "\n  ],\n";
  json += "  \"menus\": [";
  for (std::size_t i = 0; i < info.menus.size(); ++i) {
    const MenuEntry& menu = info.menus[i];
    json += std::string(i == 0 ? "\n" : ",\n") + "    {\"caption\": " + JsonString(menu.caption) +
            ", \"target\": " + JsonString(menu.target) + "}";
  }
  json += info.menus.empty() ? "],\n" : "\n  ],\n";
  json += "  \"pictures\": {\"launcher\": " + PictureJson(package, kLauncherPictureMember) +
          ", \"wizard\": " + PictureJson(package, kWizardPictureMember) + "}\n";
  json += "}\n";
  return PrintOut(json) ? 0 : Fail("cannot write to standard output");
}
