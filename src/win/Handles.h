// Move-only owners of Win32 handles, keys, GDI objects, COM pointers and a
// thread's COM apartment. Business code never calls CloseHandle,
// RegCloseKey, DeleteObject, DeleteDC, Release or CoUninitialize.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace win {

template <typename T, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T value) : m_value(value) {}
  ~Unique() { reset(); }
  Unique(Unique&& other) noexcept : m_value(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;

  T get() const { return m_value; }
  explicit operator bool() const { return Traits::IsValid(m_value); }
  T release() { return std::exchange(m_value, Traits::Invalid()); }
  void reset(T value = Traits::Invalid()) {
    if (Traits::IsValid(m_value)) Traits::Close(m_value);
    m_value = value;
  }
  // For out-parameters: releases the current value first.
  T* put() {
    reset();
    return &m_value;
  }

 private:
  T m_value = Traits::Invalid();
};

struct HandleTraits {  // kernel handles whose "none" is null (threads, events)
  static HANDLE Invalid() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileTraits {  // CreateFileW results, whose "none" is INVALID_HANDLE_VALUE
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool IsValid(HKEY k) { return k != nullptr; }
  static void Close(HKEY k) { ::RegCloseKey(k); }
};
struct BitmapTraits {
  static HBITMAP Invalid() { return nullptr; }
  static bool IsValid(HBITMAP b) { return b != nullptr; }
  static void Close(HBITMAP b) { ::DeleteObject(b); }
};
struct DcTraits {  // CreateCompatibleDC results
  static HDC Invalid() { return nullptr; }
  static bool IsValid(HDC dc) { return dc != nullptr; }
  static void Close(HDC dc) { ::DeleteDC(dc); }
};

using UniqueHandle = Unique<HANDLE, HandleTraits>;
using UniqueEvent = UniqueHandle;   // CreateEventW
using UniqueThread = UniqueHandle;  // CreateThread
using UniqueFile = Unique<HANDLE, FileTraits>;
using UniqueFind = Unique<HANDLE, FindTraits>;
using UniqueKey = Unique<HKEY, KeyTraits>;
using UniqueBitmap = Unique<HBITMAP, BitmapTraits>;
using UniqueDc = Unique<HDC, DcTraits>;

// A GDI object selected into a device context until the owner goes, when
// the context's previous object returns. Declare it after the context's
// owner and the object's.
class CSelection {
 public:
  CSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
  ~CSelection() {
    if (*this) ::SelectObject(m_dc, m_previous);
  }
  CSelection(const CSelection&) = delete;
  CSelection& operator=(const CSelection&) = delete;
  explicit operator bool() const { return m_previous && m_previous != HGDI_ERROR; }

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// The calling thread's entry into COM, left again when the owner goes;
// a failed entry is not left.
class CComInit {
 public:
  explicit CComInit(DWORD model = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
      : m_entered(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
  ~CComInit() {
    if (m_entered) ::CoUninitialize();
  }
  CComInit(const CComInit&) = delete;
  CComInit& operator=(const CComInit&) = delete;

 private:
  bool m_entered;
};

// A minimal COM pointer: owns one reference.
template <typename I>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      m_p = std::exchange(other.m_p, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  I* get() const { return m_p; }
  I* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  void reset() {
    if (m_p) m_p->Release();
    m_p = nullptr;
  }
  // For CoCreateInstance and QueryInterface out-parameters.
  void** put_void() {
    reset();
    return reinterpret_cast<void**>(&m_p);
  }

 private:
  I* m_p = nullptr;
};

}  // namespace win
