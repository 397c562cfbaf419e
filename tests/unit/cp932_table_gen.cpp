// Writes the native decoder's character for every single byte and every
// well-formed double-byte code, one "{code, character}," line each. The
// Windows build holds both Windows decoders to this table, which is how the
// two platforms are kept identical.
//   cp932_table_gen OUTPUT
#include <cstdio>
#include <string>

#include "text/Cp932.h"

int main(int argc, char** argv) {
  std::FILE* out = argc == 2 ? std::fopen(argv[1], "w") : nullptr;
  if (!out) return 2;
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const auto lead = static_cast<unsigned char>(code >> 8),
               trail = static_cast<unsigned char>(code);
    std::string bytes(1, static_cast<char>(trail));
    if (lead != 0) {
      if (!text::IsLeadByte(lead) || trail < 0x40 || trail > 0xFC || trail == 0x7F) continue;
      bytes.insert(bytes.begin(), static_cast<char>(lead));
    }
    const std::wstring wide = text::DecodeCp932(bytes);
    if (wide.size() != 1) return 1;
    std::fprintf(out, "{0x%04X, 0x%04X},\n", code, static_cast<unsigned>(wide[0]));
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
