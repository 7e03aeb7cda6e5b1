#include "robot.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/win32/unique_handle.h"

namespace velora::e2e {
namespace {

using win32::unique_any;
using win32::unique_handle;

struct MemDcTraits {
  static HDC Empty() { return nullptr; }
  static void Close(HDC dc) { DeleteDC(dc); }
};
struct ScreenDcTraits {  // from GetDC(nullptr)
  static HDC Empty() { return nullptr; }
  static void Close(HDC dc) { ReleaseDC(/*hWnd=*/nullptr, dc); }
};
struct BitmapTraits {
  static HBITMAP Empty() { return nullptr; }
  static void Close(HBITMAP bitmap) { DeleteObject(bitmap); }
};

constexpr DWORD kPollMs = 50;

struct ButtonId {
  Answer answer;
  int id;
};
constexpr ButtonId kButtons[] = {
    {Answer::Yes, IDYES}, {Answer::No, IDNO}, {Answer::Ok, IDOK}, {Answer::Cancel, IDCANCEL}};

int IdOf(Answer answer) {
  for (const ButtonId& b : kButtons) {
    if (b.answer == answer) return b.id;
  }
  return 0;
}

Answer AnswerOf(int id) {
  for (const ButtonId& b : kButtons) {
    if (b.id == id) return b.answer;
  }
  return Answer::DefaultButton;
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[4096] = {};
  GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
  return buffer;
}

std::wstring BoxText(HWND box) {
  wchar_t buffer[8192] = {};
  GetDlgItemTextW(box, 0xFFFF, buffer, static_cast<int>(std::size(buffer)));  // the static text control
  return buffer;
}

struct FindBoxes {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<FindBoxes*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) == "#32770") search->found.push_back(window);
  return TRUE;
}

// 24-bit bottom-up BMP of the box as it is on screen.
void SaveScreenshot(HWND box, const std::wstring& path) {
  RECT rect{};
  GetWindowRect(box, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  unique_any<HDC, ScreenDcTraits> screen(GetDC(/*hWnd=*/nullptr));
  unique_any<HDC, MemDcTraits> memory(CreateCompatibleDC(screen.get()));
  unique_any<HBITMAP, BitmapTraits> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!screen || !memory || !bitmap) return;
  HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
  BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
  SelectObject(memory.get(), previous);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::string pixels(stride * static_cast<DWORD>(height), '\0');
  GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

BoxRecord Describe(HWND box, DWORD appearedAtMs) {
  BoxRecord record;
  record.caption = ToUtf8(WindowText(box));
  record.text = ToUtf8(BoxText(box));
  for (const ButtonId& b : kButtons) {
    if (GetDlgItem(box, b.id) != nullptr) record.buttons.push_back(b.answer);
  }
  record.style = GetWindowLongW(box, GWL_STYLE);
  record.exStyle = GetWindowLongW(box, GWL_EXSTYLE);
  record.appearedAtMs = appearedAtMs;
  return record;
}

// The box's default button: the push button styled BS_DEFPUSHBUTTON, else the one DM_GETDEFID names
// if it is on the box (Wine's boxes name IDOK even on a Yes/No box), else the first button present.
int DefaultButtonId(HWND box) {
  int first = 0;
  for (const ButtonId& b : kButtons) {
    HWND button = GetDlgItem(box, b.id);
    if (button == nullptr) continue;
    if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return b.id;
    if (first == 0) first = b.id;
  }
  const LRESULT defId = SendMessageW(box, DM_GETDEFID, /*wParam=*/0, /*lParam=*/0);
  if (HIWORD(defId) == DC_HASDEFID && GetDlgItem(box, LOWORD(defId)) != nullptr) return LOWORD(defId);
  return first != 0 ? first : IDOK;
}

// Presses the scripted button, or the default button when the script asks for it or the scripted
// button is not on the box. Returns the button pressed.
Answer Press(HWND box, Answer wanted) {
  int id = IdOf(wanted);
  if (id == 0 || GetDlgItem(box, id) == nullptr) id = DefaultButtonId(box);
  HWND button = GetDlgItem(box, id);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return AnswerOf(id);
}

struct EnvironmentTraits {
  static wchar_t* Empty() { return nullptr; }
  static void Close(wchar_t* block) { FreeEnvironmentStringsW(block); }
};

std::wstring VariableName(const std::wstring& entry) {
  std::wstring name = entry.substr(0, entry.find(L'=', 1));  // "=C:=C:\" style entries start with '='
  CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

// The robot's environment with the extra variables set, as a CreateProcess block.
std::wstring EnvironmentBlock(const std::vector<std::wstring>& extra) {
  std::vector<std::wstring> entries;
  unique_any<wchar_t*, EnvironmentTraits> own(GetEnvironmentStringsW());
  for (const wchar_t* entry = own.get(); entry != nullptr && *entry != L'\0'; entry += wcslen(entry) + 1) {
    entries.emplace_back(entry);
  }
  for (const std::wstring& added : extra) {
    std::erase_if(entries, [&](const std::wstring& e) { return VariableName(e) == VariableName(added); });
    entries.push_back(added);
  }
  std::wstring block;
  for (const std::wstring& entry : entries) block += entry + L'\0';
  return block + L'\0';
}

}  // namespace

RobotResult RunUnderRobot(const RobotRun& run) {
  RobotResult result;
  std::wstring commandLine = L"\"" + run.exePath + L"\"";
  if (!run.arguments.empty()) commandLine += L" " + run.arguments;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring environment = run.extraEnvironment.empty() ? L"" : EnvironmentBlock(run.extraEnvironment);
  const DWORD startTick = GetTickCount();
  if (!CreateProcessW(run.exePath.c_str(), commandLine.data(), /*lpProcessAttributes=*/nullptr,
                      /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/FALSE, CREATE_UNICODE_ENVIRONMENT,
                      environment.empty() ? nullptr : environment.data(),
                      run.workingFolder.empty() ? nullptr : run.workingFolder.c_str(), &startup, &info)) {
    result.startFailed = true;
    result.exitCode = GetLastError();
    return result;
  }
  unique_handle process(info.hProcess);
  unique_handle thread(info.hThread);

  std::set<HWND> answered;  // boxes already pressed that may still be on screen
  size_t nextAnswer = 0;
  while (WaitForSingleObject(process.get(), kPollMs) == WAIT_TIMEOUT) {
    const DWORD elapsed = GetTickCount() - startTick;
    if (elapsed > run.timeLimitMs) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), INFINITE);
      result.timedOut = true;
      break;
    }
    FindBoxes search{info.dwProcessId, {}};
    EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    std::erase_if(answered, [](HWND box) { return !IsWindow(box) || !IsWindowVisible(box); });
    for (HWND box : search.found) {
      if (answered.contains(box)) continue;
      BoxRecord record = Describe(box, elapsed);
      if (!run.screenshotFolder.empty()) {
        SaveScreenshot(box, run.screenshotFolder + L"\\box-" + std::to_wstring(result.boxes.size() + 1) + L".bmp");
      }
      const Answer wanted = nextAnswer < run.answers.size() ? run.answers[nextAnswer++] : run.defaultAnswer;
      record.answerGiven = Press(box, wanted);
      answered.insert(box);
      result.boxes.push_back(std::move(record));
    }
  }
  if (!result.timedOut)
    GetExitCodeProcess(process.get(), &result.exitCode);
  else
    result.exitCode = 1;
  return result;
}

bool ParseAnswer(const std::string& word, Answer& answer) {
  static constexpr struct {
    const char* name;
    Answer answer;
  } kNames[] = {{"yes", Answer::Yes},
                {"no", Answer::No},
                {"ok", Answer::Ok},
                {"cancel", Answer::Cancel},
                {"default", Answer::DefaultButton}};
  for (const auto& n : kNames) {
    if (word == n.name) {
      answer = n.answer;
      return true;
    }
  }
  return false;
}

const char* AnswerName(Answer answer) {
  switch (answer) {
    case Answer::Yes:
      return "yes";
    case Answer::No:
      return "no";
    case Answer::Ok:
      return "ok";
    case Answer::Cancel:
      return "cancel";
    case Answer::DefaultButton:
      break;
  }
  return "default";
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, /*dwFlags=*/0, text.data(), static_cast<int>(text.size()),
                                       /*lpMultiByteStr=*/nullptr, /*cbMultiByte=*/0, /*lpDefaultChar=*/nullptr,
                                       /*lpUsedDefaultChar=*/nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, /*dwFlags=*/0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      /*lpDefaultChar=*/nullptr, /*lpUsedDefaultChar=*/nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, /*dwFlags=*/0, text.data(), static_cast<int>(text.size()),
                                       /*lpWideCharStr=*/nullptr, /*cchWideChar=*/0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, /*dwFlags=*/0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::string FormatLog(const RobotResult& result) {
  std::ostringstream log;
  int n = 0;
  for (const BoxRecord& box : result.boxes) {
    log << "box " << ++n << " at " << box.appearedAtMs << " ms\r\n";
    log << "caption: " << box.caption << "\r\n";
    log << "text: " << box.text << "\r\n";
    log << "buttons:";
    for (Answer b : box.buttons) log << ' ' << AnswerName(b);
    log << "\r\n";
    char styles[64];
    snprintf(styles, sizeof styles, "style: 0x%08lX exstyle: 0x%08lX%s", static_cast<unsigned long>(box.style),
             static_cast<unsigned long>(box.exStyle), box.topmost() ? " topmost" : "");
    log << styles << "\r\n";
    log << "answer: " << AnswerName(box.answerGiven) << "\r\n\r\n";
  }
  if (result.startFailed)
    log << "start failed: error " << result.exitCode << "\r\n";
  else if (result.timedOut)
    log << "timed out, killed\r\n";
  else
    log << "exit code: " << result.exitCode << "\r\n";
  return log.str();
}

}  // namespace velora::e2e
