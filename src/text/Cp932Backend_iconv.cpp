// glibc's "CP932" converter agrees with the Win32 table on every double-byte
// code (the unit tests hold both to one expected table), so no override
// table is needed on this side.
#include <iconv.h>

#include <cerrno>

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

bool DecodeDoubleByteRun(std::string_view run, std::wstring& out) {
  thread_local CIconv converter;
  if (!converter.Valid() || run.empty()) return run.empty();

  const std::size_t count = run.size() / 2;
  const std::size_t start = out.size();
  // One spare character: a converter that yields more than one character
  // per code is caught below instead of overflowing.
  out.resize(start + count + 1);
  char* in = const_cast<char*>(run.data());
  std::size_t inLeft = run.size();
  char* dest = reinterpret_cast<char*>(&out[start]);
  std::size_t destLeft = (count + 1) * sizeof(wchar_t);

  iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
  const std::size_t result = iconv(converter.Get(), &in, &inLeft, &dest, &destLeft);
  const std::size_t produced = (count + 1) - destLeft / sizeof(wchar_t);
  if (result == static_cast<std::size_t>(-1) || inLeft != 0 || produced != count) {
    out.resize(start);
    return false;
  }
  out.resize(start + count);
  return true;
}

}  // namespace text::detail
