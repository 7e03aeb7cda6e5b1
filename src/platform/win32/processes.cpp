// Other processes: a console program run for its output, the shell's start of a file, processes opened
// to wait for (by id, or every one of a program file in any session), and named mappings.
#include "platform/win32/system.h"

#include <shellapi.h>

// After <windows.h>, which system.h brings: it takes its types.
#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "platform/win32/last_error.h"
#include "platform/win32/run_time_link.h"
#include "platform/win32/wide_text.h"

namespace velora::win32 {
namespace {

using platform::WinError;
using platform::WinResult;

class Win32KernelObject final : public platform::KernelObject {
 public:
  explicit Win32KernelObject(unique_handle handle) : handle_(std::move(handle)) {}

 private:
  unique_handle handle_;
};

// One or more processes as one to wait for: the wait ends when every one of them has ended.
class Win32ProcessGroup final : public platform::WaitableProcess {
 public:
  Win32ProcessGroup() = default;
  Win32ProcessGroup(const Win32ProcessGroup&) = delete;
  Win32ProcessGroup& operator=(const Win32ProcessGroup&) = delete;
  ~Win32ProcessGroup() override {
    for (DWORD i = 0; i < count_; ++i) CloseHandle(processes_[i]);
  }

  bool Full() const { return count_ == MAXIMUM_WAIT_OBJECTS; }
  bool Empty() const { return count_ == 0; }
  void Add(unique_handle process) { processes_[count_++] = process.release(); }

  WinError WaitForEnd(std::uint32_t timeoutMs) override {
    switch (WaitForMultipleObjects(count_, processes_, /*bWaitAll=*/TRUE, timeoutMs)) {
      case WAIT_TIMEOUT:
        return WAIT_TIMEOUT;
      case WAIT_FAILED:
        return LastErrorOr(ERROR_INVALID_HANDLE);
      default:
        return ERROR_SUCCESS;
    }
  }

 private:
  HANDLE processes_[MAXIMUM_WAIT_OBJECTS] = {};
  DWORD count_ = 0;
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

using QueryFullProcessImageNameWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
using ProcessIdToSessionIdFn = BOOL(WINAPI*)(DWORD, DWORD*);

// PROCESS_QUERY_LIMITED_INFORMATION (Vista): enough for the image name, granted across sessions.
constexpr DWORD kQueryLimitedInformation = 0x1000;

// Whether the opened process runs the image: what the handle shows, not what the process list said.
// lstrcmpiW ignores letter case as file names do.
bool RunsImage(HANDLE process, const std::wstring& image, QueryFullProcessImageNameWFn query) {
  wchar_t running[4096];
  DWORD length = sizeof running / sizeof running[0];
  return query(process, /*dwFlags=*/0, running, &length) && lstrcmpiW(running, image.c_str()) == 0;
}

}  // namespace

WinResult<std::string> Win32Processes::RunProcessCapturingOutput(const std::string& commandLine,
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
  StartedProcess started;
  std::vector<char> mutableCommandLine(commandLine.begin(), commandLine.end());
  mutableCommandLine.push_back('\0');
  if (!CreateProcessA(/*lpApplicationName=*/nullptr, mutableCommandLine.data(), /*lpProcessAttributes=*/nullptr,
                      /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/TRUE, creationFlags,
                      /*lpEnvironment=*/nullptr, /*lpCurrentDirectory=*/nullptr, &startup, started.put())) {
    return platform::Failed<std::string>(GetLastError());
  }
  writeEnd.reset();
  // The output ends when the process does: the end of the pipe would come only once every copy of its
  // write end is closed, and a console host that inherited one may hold it long after the interpreter
  // ended. Whatever is in the pipe is read meanwhile, so that a full pipe never blocks the program.
  WinResult<std::string> output = platform::Succeeded(std::string());
  for (;;) {
    const DWORD waited = WaitForSingleObject(started.process(), kOutputPollMs);
    const WinError waitError = waited == WAIT_FAILED ? GetLastError() : ERROR_SUCCESS;
    output.error = ReadAvailable(readEnd.get(), maxBytes, output.value);
    if (output.error == ERROR_SUCCESS) output.error = waitError;
    if (!output.ok()) break;
    if (waited == WAIT_OBJECT_0 || output.value.size() >= maxBytes) break;
  }
  // Past the bound the program's further writes fail once the read end is gone, and it ends.
  readEnd.reset();
  if (WaitForSingleObject(started.process(), INFINITE) == WAIT_FAILED && output.ok()) output.error = GetLastError();
  return output;
}

WinError Win32Processes::ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
                                   const std::string& directory, int show) {
  const auto result = reinterpret_cast<std::intptr_t>(
      ShellExecuteA(/*hwnd=*/nullptr, verb.c_str(), file.c_str(), parameters.c_str(), directory.c_str(), show));
  if (result > 32) return ERROR_SUCCESS;  // anything above 32 is success
  // ShellExecuteA sets the thread's error; its own result (a system error or an SE_ERR_ code) stands in
  // for one it did not set.
  return LastErrorOr(static_cast<DWORD>(result));
}

WinResult<platform::WaitableProcessPtr> Win32Processes::OpenProcessToWaitFor(std::uint32_t processId) {
  unique_handle process(OpenProcess(SYNCHRONIZE, /*bInheritHandle=*/FALSE, processId));
  if (!process) return platform::Failed<platform::WaitableProcessPtr>(GetLastError());
  auto one = std::make_unique<Win32ProcessGroup>();
  one->Add(std::move(process));
  return platform::Succeeded<platform::WaitableProcessPtr>(std::move(one));
}

WinResult<platform::ImageProcesses> Win32Processes::OpenProcessesOfImage(const std::string& imagePath) {
  using Found = platform::ImageProcesses;
  auto queryImage = ExportOf<QueryFullProcessImageNameWFn>("kernel32.dll", "QueryFullProcessImageNameW");
  auto sessionOf = ExportOf<ProcessIdToSessionIdFn>("kernel32.dll", "ProcessIdToSessionId");
  if (queryImage == nullptr || sessionOf == nullptr) return platform::Failed<Found>(ERROR_PROC_NOT_FOUND);
  const std::wstring wanted = WideFromAnsi(imagePath);
  const std::wstring fileName = WideFromAnsi(imagePath.substr(imagePath.rfind('\\') + 1));

  unique_hfile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, /*th32ProcessID=*/0));
  if (!snapshot) return platform::Failed<Found>(GetLastError());
  Found found;
  auto processes = std::make_unique<Win32ProcessGroup>();
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && !processes->Full();
       more = Process32NextW(snapshot.get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, fileName.c_str()) != 0) continue;
    unique_handle process(
        OpenProcess(SYNCHRONIZE | kQueryLimitedInformation, /*bInheritHandle=*/FALSE, entry.th32ProcessID));
    DWORD session = 0;
    // The id may have passed to another program since the list was made: the handle's image decides.
    if (!process || !RunsImage(process.get(), wanted, queryImage) || !sessionOf(entry.th32ProcessID, &session)) {
      continue;
    }
    found.sessionIds.push_back(session);
    processes->Add(std::move(process));
  }
  if (!processes->Empty()) found.processes = std::move(processes);
  return platform::Succeeded(std::move(found));
}

WinResult<platform::KernelObjectPtr> Win32Processes::CreateNamedMapping(const std::string& name,
                                                                        std::uint32_t sizeLow) {
  unique_handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, /*lpFileMappingAttributes=*/nullptr, PAGE_READWRITE,
                                           /*dwMaximumSizeHigh=*/0, sizeLow, name.c_str()));
  const DWORD error = GetLastError();  // ERROR_ALREADY_EXISTS comes with a valid handle
  if (!mapping) return platform::Failed<platform::KernelObjectPtr>(error == 0 ? ERROR_INVALID_HANDLE : error);
  return {error, std::make_unique<Win32KernelObject>(std::move(mapping))};
}

WinError Win32Processes::OpenExistingMapping(const std::string& name) {
  unique_handle mapping(OpenFileMappingA(FILE_MAP_READ, /*bInheritHandle=*/FALSE, name.c_str()));
  return mapping ? ERROR_SUCCESS : GetLastError();
}

}  // namespace velora::win32
