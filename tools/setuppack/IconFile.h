// The check of the icon that build --autorun --icon copies to the disc:
// Explorer shows a damaged or cut image as a blank icon and says nothing,
// so the publisher is told at build time instead.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Nothing for a whole Windows icon file: its directory (reserved 0, type 1,
// at least one image) and every image it lists, each within the file and
// whole (a PNG, or a bitmap with its colour table, picture and mask).
// Otherwise why not, as words that follow the file's name in a message.
[[nodiscard]] std::optional<std::string> IconFileFault(const std::vector<char>& file);
