// The system seam's part for other processes: programs started and read from, processes found and waited
// for, and the named objects by which a running program makes itself known.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_result.h"

namespace velora::platform {

/// Another process, opened with SYNCHRONIZE only: enough to wait for it, nothing more.
class WaitableProcess {
 public:
  virtual ~WaitableProcess() = default;  ///< CloseHandle
  /// WaitForSingleObject(process, timeoutMs): kErrorSuccess once the process has ended, kWaitTimeout
  /// when it still runs at the end of the time, else the error of the failed wait.
  [[nodiscard]] virtual WinError WaitForEnd(std::uint32_t timeoutMs) = 0;
};
using WaitableProcessPtr = std::unique_ptr<WaitableProcess>;

/// A kernel object handle held open until its owner lets it go.
class KernelObject {
 public:
  virtual ~KernelObject() = default;  ///< CloseHandle
};
using KernelObjectPtr = std::unique_ptr<KernelObject>;

/// The running processes of one program file: the sessions they run in, and all of them to wait for.
struct ImageProcesses {
  std::vector<std::uint32_t> sessionIds;  ///< one entry per process, in the order they were found
  WaitableProcessPtr processes;           ///< null when none runs; else ends when every one has ended
};

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;

  /// CreatePipe with only the write end inheritable, CreateProcessA(no application name, commandLine, ...,
  /// inheriting handles, creationFlags, STARTUPINFO with STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES,
  /// showWindow and the pipe as standard output), reads the output until the program closes it or
  /// maxBytes have come, then waits for the process without a time limit. What was read comes with the
  /// error of a read or wait that failed; CreatePipe's or CreateProcessA's error with no output.
  virtual WinResult<std::string> RunProcessCapturingOutput(const std::string& commandLine, std::uint32_t creationFlags,
                                                           int showWindow, std::size_t maxBytes) = 0;
  /// ShellExecuteA(no owner window, verb, file, parameters, directory, show); its error when it returns
  /// 32 or less.
  [[nodiscard]] virtual WinError ShellOpen(const std::string& verb, const std::string& file,
                                           const std::string& parameters, const std::string& directory, int show) = 0;
  /// OpenProcess(SYNCHRONIZE, not inheritable, processId).
  virtual WinResult<WaitableProcessPtr> OpenProcessToWaitFor(std::uint32_t processId) = 0;
  /// Every process CreateToolhelp32Snapshot lists under imagePath's file name, opened with SYNCHRONIZE and
  /// PROCESS_QUERY_LIMITED_INFORMATION and kept only when QueryFullProcessImageNameW of that handle is
  /// imagePath (lstrcmpiW: letter case aside); with ProcessIdToSessionId of each. The Vista functions are looked
  /// up at run time: kErrorProcNotFound without them.
  virtual WinResult<ImageProcesses> OpenProcessesOfImage(const std::string& imagePath) = 0;
  /// CreateFileMappingA(INVALID_HANDLE_VALUE, no security attributes, PAGE_READWRITE, 0, sizeLow, name).
  /// error is GetLastError right after the call: kErrorAlreadyExists comes with a valid handle.
  virtual WinResult<KernelObjectPtr> CreateNamedMapping(const std::string& name, std::uint32_t sizeLow) = 0;
  /// OpenFileMappingA(FILE_MAP_READ, not inheritable, name), closed at once: kErrorSuccess when another
  /// process holds a mapping of that name ("Session\<id>\<name>" reaches another session's objects).
  [[nodiscard]] virtual WinError OpenExistingMapping(const std::string& name) = 0;
};

}  // namespace velora::platform
