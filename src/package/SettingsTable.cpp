#include "package/SettingsTable.h"

namespace {

// Cells are the bytes between commas; a comma at the end of the line adds
// no empty cell, and an empty line has none. A comma is never part of a
// double-byte character, so the split works on bytes.
void SplitCells(std::string_view line, std::vector<std::string>& cells) {
  std::size_t position = 0;
  while (position < line.size()) {
    std::size_t comma = line.find(',', position);
    if (comma == std::string_view::npos) comma = line.size();
    cells.emplace_back(line.substr(position, comma - position));
    position = comma + 1;
  }
}

}  // namespace

void CSettingsTable::Load(std::string_view bytes) {
  m_header.clear();
  m_rows.clear();
  bool first = true;
  std::size_t position = 0;
  // An empty text has no lines; a last line without LF still counts.
  while (position < bytes.size()) {
    std::size_t end = bytes.find('\n', position);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(position, end - position);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    position = end + 1;

    if (first) {
      SplitCells(line, m_header);
      first = false;
    } else {
      SplitCells(line, m_rows.emplace_back());
    }
  }
}

int CSettingsTable::FindColumn(std::string_view name) const {
  for (std::size_t i = 0; i < m_header.size(); ++i) {
    if (m_header[i] == name) return static_cast<int>(i);
  }
  return -1;
}

std::string CSettingsTable::GetCell(int row, int column, std::string_view defaultText) const {
  return std::string(CellView(row, column, defaultText));
}

std::string_view CSettingsTable::CellView(int row, int column, std::string_view defaultText) const {
  const std::vector<std::string>& cells = m_rows[static_cast<std::size_t>(row)];
  if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return defaultText;
  return cells[static_cast<std::size_t>(column)];
}
