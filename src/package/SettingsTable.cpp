#include "package/SettingsTable.h"

// Cells are the bytes between commas; a comma at the end of the line adds no
// empty cell, and an empty line has none. A comma is never part of a
// double-byte character, so the split works on bytes.

void CSettingsTable::Load(std::string_view bytes) {
  Load(std::vector<char>(bytes.begin(), bytes.end()));
}

void CSettingsTable::Load(std::vector<char>&& bytes) {
  m_header.clear();
  m_rows.clear();
  m_text = std::move(bytes);
  const std::string_view text(m_text.data(), m_text.size());

  bool first = true;
  std::size_t position = 0;
  // An empty text has no lines; a last line without LF still counts.
  while (position < text.size()) {
    std::size_t end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(position, end - position);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    position = end + 1;

    if (first) {
      for (std::size_t start = 0; start < line.size();) {
        std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) comma = line.size();
        m_header.push_back(line.substr(start, comma - start));
        start = comma + 1;
      }
      first = false;
    } else {
      m_rows.push_back(line);
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
  if (column < 0) return defaultText;
  const std::string_view line = m_rows[static_cast<std::size_t>(row)];
  // Walks at most to the end of the line, however large the column.
  std::size_t start = 0;
  for (int index = 0; start < line.size(); ++index) {
    std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) comma = line.size();
    if (index == column) return line.substr(start, comma - start);
    start = comma + 1;
  }
  return defaultText;
}
