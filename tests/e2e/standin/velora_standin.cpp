// A stand-in for the installed product, for the updater's end-to-end tests. It owns what the updater
// looks for (the "velora_memfile" mapping and a TVeloraMainForm window), optionally holds a data
// file open, and appends what happened to velora-standin.log beside its exe.
// velora-standin.ini beside the exe, key=value lines, all optional:
//   hold=<file relative to the exe's folder>   kept open with share mode 0 while running
//   release_on_quit=1|0                        0: log the WM_QUIT, ignore it and keep the file
//   quit_delay_ms=<n>                          wait this long after WM_QUIT before ending (still holding)
//   single_copy=1                              refuse to run while "velora_memfile" already exists
//   save_state_ms=<n>                          after WM_QUIT let go of the held file at once, then save
//                                              its state this long, still holding "velora_memfile"
//   exit_at_once=1                             log the start and end: a program that only records it ran
//   look_at_quit=<file relative to the folder>  at WM_QUIT log "saw <file> <size>" or "did not see <file>"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "platform/win32/unique_handle.h"

namespace {

using velora::win32::unique_handle;
using velora::win32::unique_hfile;

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(/*hModule=*/nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::map<std::string, std::string> ReadSettings(const std::string& path) {
  std::map<std::string, std::string> settings;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (eq != std::string::npos) settings[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return settings;
}

class Log {
 public:
  explicit Log(std::string path) : path_(std::move(path)) {}
  // "<yyyy-mm-dd hh:mm:ss.mmm> <event>"; reopened per line so a kill loses nothing.
  void Write(const std::string& event) const {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    std::ofstream(path_, std::ios::app | std::ios::binary) << stamp << event << "\r\n";
  }

 private:
  std::string path_;
};

LRESULT CALLBACK MainFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string folder = ExeFolder();
  const Log log(folder + "velora-standin.log");
  auto settings = ReadSettings(folder + "velora-standin.ini");

  char currentFolder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, currentFolder);
  log.Write(std::string("start cmd=") + GetCommandLineA() + " cwd=" + currentFolder);
  if (settings["exit_at_once"] == "1") return 0;

  unique_handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, /*lpFileMappingAttributes=*/nullptr, PAGE_READWRITE,
                                           /*dwMaximumSizeHigh=*/0, /*dwMaximumSizeLow=*/64, "velora_memfile"));
  if (GetLastError() == ERROR_ALREADY_EXISTS && settings["single_copy"] == "1") {
    log.Write("refused: velora_memfile exists");
    return 1;
  }

  unique_hfile held;
  if (!settings["hold"].empty()) {
    held.reset(CreateFileA((folder + settings["hold"]).c_str(), GENERIC_READ, /*dwShareMode=*/0,
                           /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           /*hTemplateFile=*/nullptr));
    log.Write(held ? "holding " + settings["hold"] : "cannot hold " + settings["hold"]);
  }

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = MainFormProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "TVeloraMainForm";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(/*dwExStyle=*/0, "TVeloraMainForm", "Velora", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 200, /*hWndParent=*/nullptr, /*hMenu=*/nullptr, instance,
                                /*lpParam=*/nullptr);
  log.Write(window != nullptr ? "ready" : "no window");

  const bool releaseOnQuit = settings["release_on_quit"] != "0";
  const DWORD quitDelayMs = std::strtoul(settings["quit_delay_ms"].c_str(), nullptr, 10);
  const DWORD saveStateMs = std::strtoul(settings["save_state_ms"].c_str(), nullptr, 10);
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageA(&message, /*hWnd=*/nullptr, /*wMsgFilterMin=*/0, /*wMsgFilterMax=*/0);
    if (got == -1) break;
    if (got == 0) {  // WM_QUIT
      if (!releaseOnQuit) {
        log.Write("quit ignored");
        continue;
      }
      log.Write("quit");
      if (const std::string& looked = settings["look_at_quit"]; !looked.empty()) {
        WIN32_FILE_ATTRIBUTE_DATA found{};
        log.Write(GetFileAttributesExA((folder + looked).c_str(), GetFileExInfoStandard, &found)
                      ? "saw " + looked + " " + std::to_string(found.nFileSizeLow)
                      : "did not see " + looked);
      }
      if (saveStateMs > 0) {
        held.reset();
        log.Write("saving state");
        Sleep(saveStateMs);
      }
      Sleep(quitDelayMs);
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  held.reset();
  log.Write("end");
  return 0;
}
