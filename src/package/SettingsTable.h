// The comma-separated settings table: a header row naming the columns and
// the rows below it. No quoting, no trimming; cells are code page 932 bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CSettingsTable {
 public:
  // Splits the bytes into lines (CR LF or LF; a last line without a line
  // end still counts) and the lines into cells. The first line is the header.
  // A zero byte is an ordinary byte of its cell; names holding one are
  // refused later by FindUnsafeName.
  void Load(std::string_view bytes);
  // The same, taking over the buffer instead of copying it.
  void Load(std::vector<char>&& bytes);

  // Index of the first header cell equal to name byte for byte, or -1.
  int FindColumn(std::string_view name) const;
  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  // The cell, or defaultText when the column is negative or past the row's
  // last cell. row must be in [0, GetRowCount()).
  std::string GetCell(int row, int column, std::string_view defaultText) const;
  // GetCell without the copy: the view lives as long as the table (or
  // defaultText) does.
  std::string_view CellView(int row, int column, std::string_view defaultText) const;

 private:
  // One buffer of the text; the header's cells and each row's line are
  // views of it. A row's cells are found on demand, so a table of many
  // thousand rows costs a handful of allocations, not one per cell.
  std::vector<char> m_text;
  std::vector<std::string_view> m_header;
  std::vector<std::string_view> m_rows;
};
