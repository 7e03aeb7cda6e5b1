// Memory and library failures of the shipped program, which is built without exceptions: allocation goes
// straight to the process heap, and every way the C++ library would throw instead ends the process at
// once. Linked into VeloraUpdate.exe only; the test programs keep the library's own versions.
//
// Why these are ours: the library's operator new throws std::bad_alloc, and its throw hooks
// (std::__throw_length_error and kin, called by inline string, vector and map code) build exception
// objects. Either pulls in the exception runtime, the unwinder and the default terminate handler with
// its demangler, about three times the size of the rest of the program, for failures this program
// cannot recover from anyway.
//
// What breaks when new code needs a hook that is not defined here: the library keeps most hooks
// (length_error, logic_error, out_of_range, bad_alloc, ...) in one object file, functexcept.o. The linker
// takes that object for the missing hook and then finds the ones below defined twice, so the link fails
// with "multiple definition of std::__throw_..." and the missing hook belongs in this file. The few hooks
// kept elsewhere (std::function's, defined below, has its own object) would link quietly and bring the
// exception runtime along; the foundation test of the link map (check-link-map.sh) fails on that.
#include <windows.h>

#include <cstddef>
#include <new>

namespace {

// What deployment tools read as a failed installation, should the fail-fast call not exist.
constexpr UINT kFailedExitCode = 1603;

// RaiseFailFastException (Windows 7 on) ends the process without running any handler or destructor and
// leaves a Windows Error Reporting record. It is looked up at run time so that the program still starts
// on older Windows, where TerminateProcess ends it just as plainly, with the failed-installation code.
[[noreturn]] void EndProcessNow() {
  using RaiseFailFastExceptionFn = void(WINAPI*)(PEXCEPTION_RECORD, PCONTEXT, DWORD);
  auto raiseFailFast = reinterpret_cast<RaiseFailFastExceptionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "RaiseFailFastException")));
  if (raiseFailFast != nullptr) raiseFailFast(/*pExceptionRecord=*/nullptr, /*pContextRecord=*/nullptr, 0);
  TerminateProcess(GetCurrentProcess(), kFailedExitCode);
  __builtin_trap();  // TerminateProcess on the own process does not return
}

void* AllocateOrEnd(std::size_t size) {
  // The heap functions take 0 bytes, but operator new must return a distinct pointer for them.
  void* block = HeapAlloc(GetProcessHeap(), /*dwFlags=*/0, size == 0 ? 1 : size);
  if (block == nullptr) EndProcessNow();
  return block;
}

void Release(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), /*dwFlags=*/0, block);
}

}  // namespace

// Every form ends the process when the heap has no memory, the nothrow ones included: no caller here
// could do anything useful with a null pointer.
void* operator new(std::size_t size) { return AllocateOrEnd(size); }
void* operator new[](std::size_t size) { return AllocateOrEnd(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrEnd(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrEnd(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }

namespace std {

[[noreturn]] void __throw_bad_alloc() { EndProcessNow(); }
[[noreturn]] void __throw_bad_array_new_length() { EndProcessNow(); }
[[noreturn]] void __throw_bad_function_call() { EndProcessNow(); }
[[noreturn]] void __throw_length_error(const char*) { EndProcessNow(); }
[[noreturn]] void __throw_logic_error(const char*) { EndProcessNow(); }
[[noreturn]] void __throw_out_of_range(const char*) { EndProcessNow(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { EndProcessNow(); }
[[noreturn]] void __throw_invalid_argument(const char*) { EndProcessNow(); }

}  // namespace std

// A pure virtual function called during construction or destruction: a bug, ended like the rest.
extern "C" [[noreturn]] void __cxa_pure_virtual() { EndProcessNow(); }
