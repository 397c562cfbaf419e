// glibc's "CP932" converter agrees with the Win32 table on every double-byte
// code (the unit tests hold both to one expected table), so no override
// table is needed on this side.
#include <iconv.h>

#include "text/Cp932Backend.h"

namespace text::detail {
namespace {

// One conversion descriptor per thread: opening one costs far more than a
// short conversion, and a descriptor must not be shared between threads.
class CIconv {
 public:
  CIconv() : m_cd(iconv_open("WCHAR_T", "CP932")) {}
  ~CIconv() {
    if (Valid()) iconv_close(m_cd);
  }
  CIconv(const CIconv&) = delete;
  CIconv& operator=(const CIconv&) = delete;

  bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return m_cd; }

 private:
  iconv_t m_cd;
};

}  // namespace

bool DecodeDoubleByteRun(std::string_view run, wchar_t* dest) {
  thread_local CIconv converter;
  if (!converter.Valid()) return false;

  char* in = const_cast<char*>(run.data());
  std::size_t inLeft = run.size();
  char* out = reinterpret_cast<char*>(dest);
  // Room for twice the expected characters: a converter that yields more
  // than one character per code is caught below instead of overflowing.
  std::size_t outLeft = run.size() * sizeof(wchar_t);
  const std::size_t result = iconv(converter.Get(), &in, &inLeft, &out, &outLeft);
  const std::size_t produced = run.size() - outLeft / sizeof(wchar_t);
  if (result == static_cast<std::size_t>(-1)) {
    iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);  // clean state for the next run
    return false;
  }
  return inLeft == 0 && produced == run.size() / 2;
}

}  // namespace text::detail
