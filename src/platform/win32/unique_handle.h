// One move-only owner for every kind of Windows handle, and one alias per kind. Copying is deleted;
// the handle is released exactly once, by the owner's destructor or reset().
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <utility>

namespace velora::win32 {

template <class Handle, class Traits>
class unique_any {
 public:
  unique_any() = default;
  explicit unique_any(Handle handle) : handle_(handle) {}
  ~unique_any() { reset(); }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  unique_any(unique_any&& other) noexcept : handle_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Empty(); }
  Handle release() { return std::exchange(handle_, Traits::Empty()); }
  void reset(Handle handle = Traits::Empty()) {
    if (handle_ != Traits::Empty()) Traits::Close(handle_);
    handle_ = handle;
  }
  /// For out-parameters: releases what is held and hands out the slot.
  Handle* put() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Empty();
};

struct HkeyTraits {
  static HKEY Empty() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};
struct HandleTraits {  // process, thread, mapping: NULL when empty
  static HANDLE Empty() { return nullptr; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct HfileTraits {  // CreateFile: INVALID_HANDLE_VALUE when empty
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct HfindTraits {
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { FindClose(handle); }
};
struct HmoduleTraits {
  static HMODULE Empty() { return nullptr; }
  static void Close(HMODULE module) { FreeLibrary(module); }
};
struct HcryptProvTraits {
  static HCRYPTPROV Empty() { return 0; }
  static void Close(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
};
struct HcryptHashTraits {
  static HCRYPTHASH Empty() { return 0; }
  static void Close(HCRYPTHASH hash) { CryptDestroyHash(hash); }
};

using unique_hkey = unique_any<HKEY, HkeyTraits>;
using unique_handle = unique_any<HANDLE, HandleTraits>;
using unique_hfile = unique_any<HANDLE, HfileTraits>;
using unique_hfind = unique_any<HANDLE, HfindTraits>;
using unique_hmodule = unique_any<HMODULE, HmoduleTraits>;
using unique_hcryptprov = unique_any<HCRYPTPROV, HcryptProvTraits>;
using unique_hcrypthash = unique_any<HCRYPTHASH, HcryptHashTraits>;

/// The process and thread handles a CreateProcess call hands back, closed with this object.
class StartedProcess {
 public:
  StartedProcess() = default;
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;
  ~StartedProcess() {
    unique_handle process(info_.hProcess);
    unique_handle thread(info_.hThread);
  }
  /// For the call's last argument.
  PROCESS_INFORMATION* put() { return &info_; }
  HANDLE process() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_{};
};

}  // namespace velora::win32
