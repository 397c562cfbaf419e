// The sign of life of long work: reading a disc set of several GiB at a
// drive's pace takes minutes. One line on stderr with the file being read,
// bytes done of the total, the rate and the time left; on a terminal it is
// rewritten in place, in a log (--progress) a new line follows every few
// seconds. Standard output is never touched.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "CommandLine.h"

class CProgress {
 public:
  // Shows nothing unless mode is On, or Auto with stderr a terminal.
  CProgress(ProgressMode mode, std::uint64_t totalBytes);
  // Clears a terminal's line that Finish did not end, so a message that
  // follows starts on a clean line.
  ~CProgress();
  CProgress(const CProgress&) = delete;
  CProgress& operator=(const CProgress&) = delete;

  // The file now being read: its disc label and name as the settings give them.
  void StartFile(std::wstring_view disc, std::wstring_view name);
  // Cheap enough to call for every chunk read: it looks at the clock and
  // writes only when a line is due.
  void Advance(std::uint64_t bytes);
  // The last line: the total and the time it took.
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;
  void Show(bool last);

  bool m_enabled = false;
  bool m_terminal = false;
  std::uint64_t m_totalBytes = 0;
  std::uint64_t m_doneBytes = 0;
  std::wstring m_file;
  Clock::time_point m_start;
  Clock::time_point m_nextLine;
  std::size_t m_shownColumns = 0;  // of the line now on the terminal
};
