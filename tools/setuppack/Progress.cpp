#include "Progress.h"

#include <algorithm>
#include <cstdio>

#include "Console.h"
#include "text/Utf8.h"

namespace {

// A terminal is rewritten often enough to look alive; a log gets a line
// now and then, so minutes of reading stay a screenful.
constexpr std::chrono::milliseconds kTerminalInterval(250);
constexpr std::chrono::seconds kLogInterval(5);

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring Bytes(std::uint64_t bytes) {
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%u B", static_cast<unsigned>(bytes));
    return Widen(text);
  }
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  for (; value >= 1024 && unit < 3; ++unit) value /= 1024;
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return Widen(text);
}

std::wstring Duration(double seconds) {
  auto whole = static_cast<unsigned long>(seconds + 0.5);
  char text[32];
  if (whole < 60)
    std::snprintf(text, sizeof text, "%lu s", whole);
  else if (whole < 3600)
    std::snprintf(text, sizeof text, "%lu min %02lu s", whole / 60, whole % 60);
  else
    std::snprintf(text, sizeof text, "%lu h %02lu min", whole / 3600, whole / 60 % 60);
  return Widen(text);
}

// Columns a character takes on a terminal: the wide East Asian ranges two
// (half-width katakana stays one).
std::size_t Columns(wchar_t ch) {
  auto code = static_cast<std::uint32_t>(ch);
  bool wide = (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
              (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
              (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
              (code >= 0xFFE0 && code <= 0xFFE6);
  return wide ? 2 : 1;
}

std::size_t Columns(std::wstring_view text) {
  std::size_t columns = 0;
  for (wchar_t ch : text) columns += Columns(ch);
  return columns;
}

// The end of text that fits in columns, led by "..." where text was cut.
std::wstring TailThatFits(std::wstring_view text, std::size_t columns) {
  if (Columns(text) <= columns) return std::wstring(text);
  if (columns < 4) return std::wstring();
  std::size_t start = text.size();
  std::size_t used = 3;
  while (start > 0 && used + Columns(text[start - 1]) <= columns) used += Columns(text[--start]);
  return L"..." + std::wstring(text.substr(start));
}

}  // namespace

CProgress::CProgress(ProgressMode mode, std::uint64_t totalBytes)
    : m_totalBytes(totalBytes), m_start(Clock::now()), m_nextLine(m_start) {
  bool terminal = ErrIsTerminal();
  m_enabled = mode == ProgressMode::On || (mode == ProgressMode::Auto && terminal);
  m_terminal = m_enabled && terminal;
}

CProgress::~CProgress() {
  if (m_terminal && m_shownColumns > 0)
    PrintErr("\r" + std::string(m_shownColumns, ' ') + "\r");  // nothing to do if this fails
}

void CProgress::StartFile(std::wstring_view disc, std::wstring_view name) {
  if (!m_enabled) return;
  m_file.assign(disc).append(L": ").append(name);
  if (Clock::now() >= m_nextLine) Show(false);
}

void CProgress::Advance(std::uint64_t bytes) {
  m_doneBytes += bytes;
  if (m_enabled && Clock::now() >= m_nextLine) Show(false);
}

void CProgress::Finish() {
  if (m_enabled) Show(true);
  m_enabled = false;
}

void CProgress::Show(bool last) {
  const Clock::time_point now = Clock::now();
  m_nextLine =
      now + (m_terminal ? Clock::duration(kTerminalInterval) : Clock::duration(kLogInterval));
  const double seconds = std::chrono::duration<double>(now - m_start).count();
  // The rate over the whole run: a drive's pace varies from file to file,
  // and the time left should not jump with it. The first moments tell none.
  const double rate =
      seconds > 0 && (last || seconds >= 0.5) ? static_cast<double>(m_doneBytes) / seconds : 0;
  const std::uint64_t done = std::min(m_doneBytes, m_totalBytes);
  const unsigned percent =
      m_totalBytes == 0 ? 100 : static_cast<unsigned>(done * 100 / m_totalBytes);

  char head[16];
  std::snprintf(head, sizeof head, "%3u%%  ", percent);
  std::wstring line = Widen(head) + Bytes(done) + L" of " + Bytes(m_totalBytes) + L"  " +
                      (rate > 0 ? Bytes(static_cast<std::uint64_t>(rate)) : L"-- MiB") + L"/s  ";
  if (last) {
    line += L"done in " + Duration(seconds);
  } else {
    line +=
        (rate > 0 ? Duration(static_cast<double>(m_totalBytes - done) / rate) : L"--") + L" left  ";
    // On a terminal the line must not wrap, or the next one cannot replace it.
    const std::size_t room = ErrTerminalColumns() - 1;
    const std::size_t used = Columns(line);
    line += m_terminal ? TailThatFits(m_file, room > used ? room - used : 0) : m_file;
  }

  if (!m_terminal) {
    PrintErr(text::ToUtf8(line) + "\n");  // a lost progress line is no failure of the work
    return;
  }
  const std::size_t columns = Columns(line);
  std::string text = "\r" + text::ToUtf8(line);
  if (columns < m_shownColumns) text += std::string(m_shownColumns - columns, ' ');
  text += last ? "\n" : "";
  PrintErr(text);  // as above
  m_shownColumns = last ? 0 : std::max(columns, m_shownColumns);
}
