#include "platform/win32/system.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <algorithm>
#include <vector>

#include "base/hex_text.h"
#include "platform/win32/last_error.h"
#include "platform/win32/run_time_link.h"
#include "platform/win32/wide_text.h"

namespace velora::win32 {
namespace {

using platform::WinError;
using platform::WinResult;

// A folder query (GetSystemDirectoryA and the like): ask for the length, then read.
template <class Query>
WinResult<std::string> ReadFolder(Query query) {
  const UINT needed = query(nullptr, 0);
  if (needed == 0) return platform::Failed<std::string>(GetLastError());
  std::string text(needed, '\0');
  const UINT length = query(text.data(), needed);
  if (length == 0) return platform::Failed<std::string>(GetLastError());
  // A folder that grew between the two calls no longer fits.
  if (length >= needed) return platform::Failed<std::string>(ERROR_INSUFFICIENT_BUFFER);
  text.resize(length);
  return platform::Succeeded(std::move(text));
}

class Win32KernelObject final : public platform::KernelObject {
 public:
  explicit Win32KernelObject(unique_handle handle) : handle_(std::move(handle)) {}

 private:
  unique_handle handle_;
};

using GetFileVersionInfoSizeAFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using GetFileVersionInfoAFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using VerQueryValueAFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

class Win32FileVersionInfo final : public platform::FileVersionInfo {
 public:
  Win32FileVersionInfo(std::vector<char> block, VerQueryValueAFn query) : block_(std::move(block)), query_(query) {}

  std::optional<std::vector<std::uint32_t>> TryQueryTranslations() override {
    void* data = nullptr;
    UINT length = 0;
    if (!query_(block_.data(), "\\VarFileInfo\\Translation", &data, &length) || data == nullptr) return std::nullopt;
    std::vector<std::uint32_t> entries(length / sizeof(std::uint32_t));
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const auto* words = static_cast<const WORD*>(data) + 2 * i;
      entries[i] = static_cast<std::uint32_t>(words[0]) | (static_cast<std::uint32_t>(words[1]) << 16);
    }
    return entries;
  }

  std::optional<std::string> TryQueryString(const std::string& subBlock) override {
    void* data = nullptr;
    UINT length = 0;
    if (!query_(block_.data(), subBlock.c_str(), &data, &length) || data == nullptr) return std::nullopt;
    const char* text = static_cast<const char*>(data);
    // The length counts characters and may include the terminator; the text ends at the first zero.
    std::string value(text, length);
    return value.substr(0, value.find('\0'));
  }

 private:
  std::vector<char> block_;
  VerQueryValueAFn query_;
};

// What CreateProcessWithTokenW and CreateProcessAsUserW both take: the program, its command line (which the
// call may write into) and its folder in UTF-16, and a STARTUPINFOW that shows the window as asked. The
// new process's handles, which nobody here waits on, are closed with this object.
struct WideProcessStart {
  WideProcessStart(const std::string& program, const std::string& line, const std::string& folder, int show)
      : application(WideFromAnsi(program)), commandLine(WideFromAnsi(line)), directory(WideFromAnsi(folder)) {
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
  }
  WideProcessStart(const WideProcessStart&) = delete;
  WideProcessStart& operator=(const WideProcessStart&) = delete;
  ~WideProcessStart() {
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
  }
  /// The folder to start in; null (the current one) when none was given.
  LPCWSTR Directory() const { return directory.empty() ? nullptr : directory.c_str(); }
  /// The error of the call that created the process; after a success, returns once the program is ready
  /// for input (at most kReadyWaitMs), so that this program's own exit does not slow the product's start.
  WinError Started(BOOL created) const {
    if (!created) return GetLastError();
    WaitForInputIdle(process.hProcess, kReadyWaitMs);  // a program without a window returns at once
    return ERROR_SUCCESS;
  }
  static constexpr DWORD kReadyWaitMs = 5000;

  std::wstring application;
  std::wstring commandLine;
  std::wstring directory;
  STARTUPINFOW startup{};
  PROCESS_INFORMATION process{};
};

// How often a captured program's pipe is looked at while it runs.
constexpr DWORD kOutputPollMs = 20;

// Appends what the pipe holds now, up to maxBytes in all, without waiting for more.
WinError ReadAvailable(HANDLE pipe, std::size_t maxBytes, std::string& output) {
  char chunk[4096];
  while (output.size() < maxBytes) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, /*lpBuffer=*/nullptr, /*nBufferSize=*/0, /*lpBytesRead=*/nullptr, &available,
                       /*lpBytesLeftThisMessage=*/nullptr)) {
      const DWORD error = GetLastError();
      return error == ERROR_BROKEN_PIPE ? ERROR_SUCCESS : error;  // every writer gone: nothing more comes
    }
    if (available == 0) return ERROR_SUCCESS;
    const auto wanted = static_cast<DWORD>(std::min({std::size_t{available}, sizeof chunk, maxBytes - output.size()}));
    DWORD read = 0;
    if (!ReadFile(pipe, chunk, wanted, &read, /*lpOverlapped=*/nullptr)) return GetLastError();
    output.append(chunk, read);
  }
  return ERROR_SUCCESS;
}

class Win32ProcessToken final : public platform::ProcessToken {
 public:
  explicit Win32ProcessToken(unique_handle token) : token_(std::move(token)) {}

  WinError StartProcess(const std::string& application, const std::string& commandLine, const std::string& directory,
                        int show) override {
    using CreateProcessWithTokenWFn =
        BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
    // Present from Windows Vista on (and Server 2003); before it the caller falls back to ShellExecuteA.
    const auto createProcessWithToken = ExportOf<CreateProcessWithTokenWFn>("advapi32.dll", "CreateProcessWithTokenW");
    if (createProcessWithToken == nullptr) return ERROR_PROC_NOT_FOUND;
    WideProcessStart start(application, commandLine, directory, show);
    return start.Started(createProcessWithToken(
        token_.get(), /*dwLogonFlags=*/0, start.application.c_str(), start.commandLine.data(), /*dwCreationFlags=*/0,
        /*lpEnvironment=*/nullptr, start.Directory(), &start.startup, &start.process));
  }

 private:
  unique_handle token_;
};

}  // namespace

WinResult<unique_hmodule> LoadSystemLibrary(const char* name) {
  unique_hmodule module;
  if (ExportOf<FARPROC>("kernel32.dll", "SetDefaultDllDirectories") != nullptr) {
    // The loader knows LOAD_LIBRARY_SEARCH_SYSTEM32 (it came with SetDefaultDllDirectories): the DLL and
    // every DLL it needs come from the system folder alone.
    module.reset(LoadLibraryExA(name, /*hFile=*/nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  } else {
    auto folder = ReadFolder([](LPSTR buffer, UINT size) { return ::GetSystemDirectoryA(buffer, size); });
    if (!folder.ok()) return platform::Failed<unique_hmodule>(folder.error);
    std::string path = std::move(folder.value);
    if (path.back() != '\\') path += '\\';
    path += name;
    // A full path and LOAD_WITH_ALTERED_SEARCH_PATH: the DLL's own dependencies come from its folder too.
    module.reset(LoadLibraryExA(path.c_str(), /*hFile=*/nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  }
  if (!module) return platform::Failed<unique_hmodule>(GetLastError());
  return platform::Succeeded(std::move(module));
}

WinError Win32System::SetDefaultDllDirectories(std::uint32_t flags) {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  // Present from Windows 8 and in Windows 7 with KB2533623; absent before.
  auto set = ExportOf<SetDefaultDllDirectoriesFn>("kernel32.dll", "SetDefaultDllDirectories");
  if (set == nullptr) return ERROR_PROC_NOT_FOUND;
  return set(flags) ? ERROR_SUCCESS : GetLastError();
}

WinError Win32System::SetDllFolder(const std::string& folder) {
  using SetDllDirectoryAFn = BOOL(WINAPI*)(LPCSTR);
  // Present from Windows XP SP1 on; looked up so that the program still starts where it is not.
  auto set = ExportOf<SetDllDirectoryAFn>("kernel32.dll", "SetDllDirectoryA");
  if (set == nullptr) return ERROR_PROC_NOT_FOUND;
  return set(folder.c_str()) ? ERROR_SUCCESS : GetLastError();
}

std::uint32_t Win32System::GetUserDefaultLCID() { return ::GetUserDefaultLCID(); }

void Win32System::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

WinResult<platform::OsVersionInfo> Win32System::VersionFacts(platform::VersionRecord record) {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize =
      record == platform::VersionRecord::Extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    return platform::Failed<platform::OsVersionInfo>(GetLastError());
  }
  platform::OsVersionInfo facts;
  facts.majorVersion = info.dwMajorVersion;
  facts.minorVersion = info.dwMinorVersion;
  facts.buildNumber = info.dwBuildNumber;
  facts.platformId = info.dwPlatformId;
  facts.csdVersion.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  if (record == platform::VersionRecord::Extended) {
    facts.suiteMask = info.wSuiteMask;
    facts.productType = info.wProductType;
  }
  return platform::Succeeded(std::move(facts));
}

std::uint16_t Win32System::GetProcessorArchitecture() {
  using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  SYSTEM_INFO info{};
  if (auto native = ExportOf<GetNativeSystemInfoFn>("kernel32.dll", "GetNativeSystemInfo")) {
    native(&info);
  } else {
    ::GetSystemInfo(&info);
  }
  return info.wProcessorArchitecture;
}

int Win32System::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

WinResult<std::string> Win32System::EnvironmentVariable(const std::string& name) {
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD needed = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    // ERROR_ENVVAR_NOT_FOUND when it is not set; no error at all for a variable set to nothing.
    if (needed == 0) return {GetLastError(), std::string()};
    std::string value(needed, '\0');
    const DWORD length = ::GetEnvironmentVariableA(name.c_str(), value.data(), needed);
    if (length < needed) {
      value.resize(length);
      return platform::Succeeded(std::move(value));
    }
    // The variable grew between the two calls: ask again.
  }
}

WinResult<std::string> Win32System::SystemDirectory() {
  return ReadFolder([](LPSTR buffer, UINT size) { return ::GetSystemDirectoryA(buffer, size); });
}

WinResult<std::string> Win32System::WindowsDirectory() {
  return ReadFolder([](LPSTR buffer, UINT size) { return ::GetWindowsDirectoryA(buffer, size); });
}

bool Win32System::IsUserAnAdmin() { return ::IsUserAnAdmin() != FALSE; }

WinResult<std::string> Win32System::RunProcessCapturingOutput(const std::string& commandLine,
                                                              std::uint32_t creationFlags, int showWindow,
                                                              std::size_t maxBytes) {
  // Only the write end is inherited: a child holding the read end would keep the pipe open.
  SECURITY_ATTRIBUTES inheritable{};
  inheritable.nLength = sizeof inheritable;
  inheritable.bInheritHandle = TRUE;
  unique_handle readEnd;
  unique_handle writeEnd;
  if (!CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, /*nSize=*/0)) {
    return platform::Failed<std::string>(GetLastError());
  }
  if (!SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, /*dwFlags=*/0)) {
    return platform::Failed<std::string>(GetLastError());
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = static_cast<WORD>(showWindow);
  startup.hStdOutput = writeEnd.get();  // standard input and error stay null: neither is used
  PROCESS_INFORMATION process{};
  std::vector<char> mutableCommandLine(commandLine.begin(), commandLine.end());
  mutableCommandLine.push_back('\0');
  if (!CreateProcessA(/*lpApplicationName=*/nullptr, mutableCommandLine.data(), /*lpProcessAttributes=*/nullptr,
                      /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/TRUE, creationFlags,
                      /*lpEnvironment=*/nullptr, /*lpCurrentDirectory=*/nullptr, &startup, &process)) {
    return platform::Failed<std::string>(GetLastError());
  }
  unique_handle processHandle(process.hProcess);
  unique_handle threadHandle(process.hThread);
  writeEnd.reset();
  // The output ends when the process does: the end of the pipe would come only once every copy of its
  // write end is closed, and a console host that inherited one may hold it long after the interpreter
  // ended. Whatever is in the pipe is read meanwhile, so that a full pipe never blocks the program.
  WinResult<std::string> output = platform::Succeeded(std::string());
  for (;;) {
    const DWORD waited = WaitForSingleObject(processHandle.get(), kOutputPollMs);
    const WinError waitError = waited == WAIT_FAILED ? GetLastError() : ERROR_SUCCESS;
    output.error = ReadAvailable(readEnd.get(), maxBytes, output.value);
    if (output.error == ERROR_SUCCESS) output.error = waitError;
    if (!output.ok()) break;
    if (waited == WAIT_OBJECT_0 || output.value.size() >= maxBytes) break;
  }
  // Past the bound the program's further writes fail once the read end is gone, and it ends.
  readEnd.reset();
  if (WaitForSingleObject(processHandle.get(), INFINITE) == WAIT_FAILED && output.ok()) output.error = GetLastError();
  return output;
}

WinResult<platform::KernelObjectPtr> Win32System::CreateNamedMapping(const std::string& name, std::uint32_t sizeLow) {
  unique_handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, /*lpFileMappingAttributes=*/nullptr, PAGE_READWRITE,
                                           /*dwMaximumSizeHigh=*/0, sizeLow, name.c_str()));
  const DWORD error = GetLastError();  // ERROR_ALREADY_EXISTS comes with a valid handle
  if (!mapping) return platform::Failed<platform::KernelObjectPtr>(error == 0 ? ERROR_INVALID_HANDLE : error);
  return {error, std::make_unique<Win32KernelObject>(std::move(mapping))};
}

WinError Win32System::ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                                const std::string& directory, int show) {
  const auto result = reinterpret_cast<std::intptr_t>(
      ShellExecuteA(/*hwnd=*/nullptr, verb.c_str(), file.c_str(), parameters.c_str(), directory.c_str(), show));
  if (result > 32) return ERROR_SUCCESS;  // anything above 32 is success
  // ShellExecuteA sets the thread's error; its own result (a system error or an SE_ERR_ code) stands in
  // for one it did not set.
  return LastErrorOr(static_cast<DWORD>(result));
}

WinResult<std::string> Win32System::LoadModuleResource(const std::string& name, const std::string& type) {
  HRSRC info = FindResourceA(/*hModule=*/nullptr, name.c_str(), type.c_str());
  if (info == nullptr) return platform::Failed<std::string>(GetLastError());
  const DWORD size = SizeofResource(nullptr, info);
  HGLOBAL loaded = LoadResource(nullptr, info);
  if (loaded == nullptr) return platform::Failed<std::string>(GetLastError());
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr && size != 0) return platform::Failed<std::string>(ERROR_RESOURCE_DATA_NOT_FOUND);
  return platform::Succeeded(std::string(static_cast<const char*>(bytes), size));
}

std::optional<std::uintptr_t> Win32System::TryGetExeType(const std::string& path) {
  SHFILEINFOA info{};
  const DWORD_PTR type = SHGetFileInfoA(path.c_str(), /*dwFileAttributes=*/0, &info, sizeof info, SHGFI_EXETYPE);
  if (type == 0) return std::nullopt;
  return static_cast<std::uintptr_t>(type);
}

WinResult<std::unique_ptr<platform::FileVersionInfo>> Win32System::LoadFileVersionInfo(const std::string& path) {
  using Loaded = std::unique_ptr<platform::FileVersionInfo>;
  // version.dll is not imported: an elevated program must not let it be found beside the exe.
  if (!versionDll_) {
    auto loaded = LoadSystemLibrary("version.dll");
    if (!loaded.ok()) return platform::Failed<Loaded>(loaded.error);
    versionDll_ = std::move(loaded.value);
  }
  auto proc = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(versionDll_.get(), name)); };
  auto getSize = reinterpret_cast<GetFileVersionInfoSizeAFn>(proc("GetFileVersionInfoSizeA"));
  auto getInfo = reinterpret_cast<GetFileVersionInfoAFn>(proc("GetFileVersionInfoA"));
  auto query = reinterpret_cast<VerQueryValueAFn>(proc("VerQueryValueA"));
  if (getSize == nullptr || getInfo == nullptr || query == nullptr)
    return platform::Failed<Loaded>(ERROR_PROC_NOT_FOUND);
  DWORD handle = 0;
  const DWORD size = getSize(path.c_str(), &handle);
  if (size == 0) return platform::Failed<Loaded>(LastErrorOr(ERROR_RESOURCE_TYPE_NOT_FOUND));
  std::vector<char> block(size, '\0');
  if (!getInfo(path.c_str(), /*dwHandle=*/0, size, block.data())) {
    return platform::Failed<Loaded>(LastErrorOr(ERROR_RESOURCE_TYPE_NOT_FOUND));
  }
  return platform::Succeeded<Loaded>(std::make_unique<Win32FileVersionInfo>(std::move(block), query));
}

WinResult<std::string> Win32System::Sha256Hex(std::string_view bytes) {
  unique_hcryptprov provider;
  if (!CryptAcquireContextA(provider.put(), /*szContainer=*/nullptr, /*szProvider=*/nullptr, PROV_RSA_AES,
                            CRYPT_VERIFYCONTEXT)) {
    return platform::Failed<std::string>(GetLastError());
  }
  unique_hcrypthash hash;
  if (!CryptCreateHash(provider.get(), CALG_SHA_256, /*hKey=*/0, /*dwFlags=*/0, hash.put())) {
    return platform::Failed<std::string>(GetLastError());
  }
  constexpr std::size_t kChunk = 1 << 20;
  for (std::size_t offset = 0; offset < bytes.size(); offset += kChunk) {
    const std::size_t count = bytes.size() - offset < kChunk ? bytes.size() - offset : kChunk;
    if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data() + offset), static_cast<DWORD>(count),
                       0)) {
      return platform::Failed<std::string>(GetLastError());
    }
  }
  BYTE digest[32];
  DWORD length = sizeof digest;
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &length, /*dwFlags=*/0) || length != sizeof digest) {
    return platform::Failed<std::string>(GetLastError());
  }
  std::string hex;
  for (BYTE b : digest) hex += HexText(b, 2, HexLetters::Lower);
  return platform::Succeeded(std::move(hex));
}

platform::LocalTime Win32System::GetLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

std::optional<std::string> Win32System::TryErrorMessage(WinError error) {
  char* buffer = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     /*lpSource=*/nullptr, error, /*dwLanguageId=*/0, reinterpret_cast<LPSTR>(&buffer), /*nSize=*/0,
                     /*Arguments=*/nullptr);
  if (length == 0 || buffer == nullptr) return std::nullopt;
  std::string text(buffer, length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) return std::nullopt;
  return text;
}

WinResult<std::string> Win32System::AnsiToUtf8(const std::string& ansiText) {
  if (ansiText.empty()) return platform::Succeeded(std::string());
  const std::wstring wide = WideFromAnsi(ansiText);
  if (wide.empty()) return platform::Failed<std::string>(GetLastError());
  const int length = WideCharToMultiByte(CP_UTF8, /*dwFlags=*/0, wide.data(), static_cast<int>(wide.size()),
                                         /*lpMultiByteStr=*/nullptr, 0, /*lpDefaultChar=*/nullptr,
                                         /*lpUsedDefaultChar=*/nullptr);
  if (length == 0) return platform::Failed<std::string>(GetLastError());
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, /*dwFlags=*/0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                      /*lpDefaultChar=*/nullptr, /*lpUsedDefaultChar=*/nullptr);
  return platform::Succeeded(std::move(utf8));
}

WinResult<std::string> Win32System::ConvertOemToAnsi(const std::string& oemText) {
  std::string ansi(oemText.size(), '\0');
  // OemToCharBuffA, the length-bounded form of OemToCharA, so that zero bytes in the text cannot end it.
  if (!oemText.empty() && !OemToCharBuffA(oemText.data(), ansi.data(), static_cast<DWORD>(oemText.size()))) {
    return platform::Failed<std::string>(GetLastError());
  }
  return platform::Succeeded(std::move(ansi));
}

WinResult<platform::ProcessTokenPtr> Win32System::OpenProcessPrimaryToken(std::uint32_t processId) {
  unique_handle process(OpenProcess(PROCESS_QUERY_INFORMATION, /*bInheritHandle=*/FALSE, processId));
  if (!process) return platform::Failed<platform::ProcessTokenPtr>(GetLastError());
  unique_handle processToken;
  if (!OpenProcessToken(process.get(), TOKEN_DUPLICATE, processToken.put())) {
    return platform::Failed<platform::ProcessTokenPtr>(GetLastError());
  }
  // The rights CreateProcessWithTokenW needs of a primary token.
  constexpr DWORD kPrimaryTokenAccess =
      TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE | TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
  unique_handle primary;
  if (!DuplicateTokenEx(processToken.get(), kPrimaryTokenAccess, /*lpTokenAttributes=*/nullptr, SecurityImpersonation,
                        TokenPrimary, primary.put())) {
    return platform::Failed<platform::ProcessTokenPtr>(GetLastError());
  }
  return platform::Succeeded<platform::ProcessTokenPtr>(std::make_unique<Win32ProcessToken>(std::move(primary)));
}

namespace {

// GetTokenInformation of one fixed-size class on this process's own token.
template <class Information>
WinResult<Information> OwnTokenInformation(TOKEN_INFORMATION_CLASS kind) {
  unique_handle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
    return platform::Failed<Information>(GetLastError());
  Information information{};
  DWORD length = 0;
  if (!GetTokenInformation(token.get(), kind, &information, sizeof information, &length)) {
    return platform::Failed<Information>(GetLastError());
  }
  return platform::Succeeded(information);
}

}  // namespace

WinResult<platform::TokenElevationType> Win32System::OwnElevationType() {
  const auto type = OwnTokenInformation<TOKEN_ELEVATION_TYPE>(TokenElevationType);
  if (!type.ok()) return platform::Failed<platform::TokenElevationType>(type.error);
  return platform::Succeeded(static_cast<platform::TokenElevationType>(type.value));
}

WinResult<platform::ProcessTokenPtr> Win32System::OpenLinkedToken() {
  const auto linked = OwnTokenInformation<TOKEN_LINKED_TOKEN>(TokenLinkedToken);
  if (!linked.ok()) return platform::Failed<platform::ProcessTokenPtr>(linked.error);
  return platform::Succeeded<platform::ProcessTokenPtr>(
      std::make_unique<Win32ProcessToken>(unique_handle(linked.value.LinkedToken)));
}

}  // namespace velora::win32

// Waiting for the product to end, and starting it for the console's user from a service session.
namespace velora::win32 {
namespace {

using platform::WinError;
using platform::WinResult;

class Win32WaitableProcess final : public platform::WaitableProcess {
 public:
  explicit Win32WaitableProcess(unique_handle process) : process_(std::move(process)) {}

  WinError WaitForEnd(std::uint32_t timeoutMs) override {
    switch (WaitForSingleObject(process_.get(), timeoutMs)) {
      case WAIT_OBJECT_0:
        return ERROR_SUCCESS;
      case WAIT_TIMEOUT:
        return WAIT_TIMEOUT;
      default:
        return LastErrorOr(ERROR_INVALID_HANDLE);
    }
  }

 private:
  unique_handle process_;
};

using CreateEnvironmentBlockFn = BOOL(WINAPI*)(LPVOID*, HANDLE, BOOL);
using DestroyEnvironmentBlockFn = BOOL(WINAPI*)(LPVOID);
using CreateProcessAsUserWFn = BOOL(WINAPI*)(HANDLE, LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                             BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
using WTSQueryUserTokenFn = BOOL(WINAPI*)(ULONG, PHANDLE);

// A user's environment block from userenv.dll, destroyed (while the DLL is still loaded) with this object.
class UserEnvironment {
 public:
  UserEnvironment() = default;
  UserEnvironment(const UserEnvironment&) = delete;
  UserEnvironment& operator=(const UserEnvironment&) = delete;
  ~UserEnvironment() {
    if (block_ != nullptr) destroy_(block_);
  }

  [[nodiscard]] WinError Create(HANDLE token) {
    auto loaded = LoadSystemLibrary("userenv.dll");
    if (!loaded.ok()) return loaded.error;
    userenv_ = std::move(loaded.value);
    auto create = ExportOf<CreateEnvironmentBlockFn>(userenv_.get(), "CreateEnvironmentBlock");
    destroy_ = ExportOf<DestroyEnvironmentBlockFn>(userenv_.get(), "DestroyEnvironmentBlock");
    if (create == nullptr || destroy_ == nullptr) return ERROR_PROC_NOT_FOUND;
    // The user's own variables only: nothing of this elevated process's environment is passed on.
    if (!create(&block_, token, /*bInherit=*/FALSE)) {
      block_ = nullptr;
      return GetLastError();
    }
    return ERROR_SUCCESS;
  }
  void* get() const { return block_; }

 private:
  unique_hmodule userenv_;
  DestroyEnvironmentBlockFn destroy_ = nullptr;
  void* block_ = nullptr;
};

class Win32SessionUserToken final : public platform::ProcessToken {
 public:
  explicit Win32SessionUserToken(unique_handle token) : token_(std::move(token)) {}

  WinError StartProcess(const std::string& application, const std::string& commandLine, const std::string& directory,
                        int show) override {
    UserEnvironment environment;
    if (const WinError error = environment.Create(token_.get()); error != ERROR_SUCCESS) return error;
    auto createProcess = ExportOf<CreateProcessAsUserWFn>("advapi32.dll", "CreateProcessAsUserW");
    if (createProcess == nullptr) return ERROR_PROC_NOT_FOUND;
    WideProcessStart start(application, commandLine, directory, show);
    // The interactive desktop of the user's session; a service's own desktop is invisible.
    wchar_t desktop[] = L"winsta0\\default";
    start.startup.lpDesktop = desktop;
    return start.Started(createProcess(token_.get(), start.application.c_str(), start.commandLine.data(),
                                       /*lpProcessAttributes=*/nullptr, /*lpThreadAttributes=*/nullptr,
                                       /*bInheritHandles=*/FALSE, CREATE_UNICODE_ENVIRONMENT, environment.get(),
                                       start.Directory(), &start.startup, &start.process));
  }

 private:
  unique_handle token_;
};

}  // namespace

WinResult<platform::WaitableProcessPtr> Win32System::OpenProcessToWaitFor(std::uint32_t processId) {
  unique_handle process(OpenProcess(SYNCHRONIZE, /*bInheritHandle=*/FALSE, processId));
  if (!process) return platform::Failed<platform::WaitableProcessPtr>(GetLastError());
  return platform::Succeeded<platform::WaitableProcessPtr>(std::make_unique<Win32WaitableProcess>(std::move(process)));
}

WinResult<std::uint32_t> Win32System::OwnSessionId() {
  using ProcessIdToSessionIdFn = BOOL(WINAPI*)(DWORD, DWORD*);
  auto sessionOf = ExportOf<ProcessIdToSessionIdFn>("kernel32.dll", "ProcessIdToSessionId");
  if (sessionOf == nullptr) return platform::Failed<std::uint32_t>(ERROR_PROC_NOT_FOUND);
  DWORD session = 0;
  if (!sessionOf(GetCurrentProcessId(), &session)) return platform::Failed<std::uint32_t>(GetLastError());
  return platform::Succeeded<std::uint32_t>(session);
}

std::optional<std::uint32_t> Win32System::TryActiveConsoleSessionId() {
  using WTSGetActiveConsoleSessionIdFn = DWORD(WINAPI*)();
  auto consoleSession = ExportOf<WTSGetActiveConsoleSessionIdFn>("kernel32.dll", "WTSGetActiveConsoleSessionId");
  if (consoleSession == nullptr) return std::nullopt;
  const DWORD session = consoleSession();
  if (session == 0xFFFFFFFF) return std::nullopt;  // the console is between sessions
  return session;
}

WinResult<platform::ProcessTokenPtr> Win32System::QuerySessionUserToken(std::uint32_t sessionId) {
  using Token = platform::ProcessTokenPtr;
  auto wtsapi = LoadSystemLibrary("wtsapi32.dll");
  if (!wtsapi.ok()) return platform::Failed<Token>(wtsapi.error);
  auto query = ExportOf<WTSQueryUserTokenFn>(wtsapi.value.get(), "WTSQueryUserToken");
  if (query == nullptr) return platform::Failed<Token>(ERROR_PROC_NOT_FOUND);
  unique_handle token;
  if (!query(sessionId, token.put())) return platform::Failed<Token>(GetLastError());
  return platform::Succeeded<Token>(std::make_unique<Win32SessionUserToken>(std::move(token)));
}

}  // namespace velora::win32
