#include "platform/win32/progress_window.h"

#include <windows.h>

#include <initializer_list>

#include "platform/win32/last_error.h"
#include "platform/win32/system_folder.h"
#include "platform/win32/unique_handle.h"

namespace velora::win32 {
namespace {

using platform::WinError;

constexpr int kWindowWidth = 408;
constexpr int kWindowHeight = 76;
constexpr char kWindowClass[] = "PlainWindow";

// comctl32 is not imported (the exe imports only DLLs Windows always loads from the system folder), so
// it is loaded from there by full path; the module must stay loaded while the bar exists.
// Without it the window still shows its text, only the bar is missing.
unique_hmodule InitCommonControlsAtRunTime() {
  auto commonControls = LoadSystemLibrary("comctl32.dll");
  if (!commonControls.ok()) return unique_hmodule();
  using InitCommonControlsFn = void(WINAPI*)();
  auto init = reinterpret_cast<InitCommonControlsFn>(
      reinterpret_cast<void*>(GetProcAddress(commonControls.value.get(), "InitCommonControls")));
  if (init != nullptr) init();
  return std::move(commonControls.value);
}

/// The first error of calls that are all made whatever the others return.
WinError FirstFailure(std::initializer_list<WinError> errors) {
  for (WinError error : errors) {
    if (error != ERROR_SUCCESS) return error;
  }
  return ERROR_SUCCESS;
}

}  // namespace

// The window thread: registers "PlainWindow", makes the window (its procedure makes the label and the
// bar) and runs the thread's message loop until the window is destroyed.
class TSetupForm {
 public:
  TSetupForm(std::string title, std::string text) : title_(std::move(title)), text_(std::move(text)) {}
  TSetupForm(const TSetupForm&) = delete;
  TSetupForm& operator=(const TSetupForm&) = delete;

  /// Closes the window, which ends the loop, and waits for the thread.
  ~TSetupForm() {
    if (!thread_) return;
    if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, /*wParam=*/0, /*lParam=*/0);
    WaitForSingleObject(thread_.get(), INFINITE);
  }

  /// Starts the thread and returns once the window is made and shown; the error when the thread or the
  /// window could not be made.
  [[nodiscard]] WinError Start() {
    made_.reset(CreateEventA(/*lpEventAttributes=*/nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE,
                             /*lpName=*/nullptr));
    if (!made_) return GetLastError();
    thread_.reset(CreateThread(/*lpThreadAttributes=*/nullptr, /*dwStackSize=*/0, ThreadStart, this,
                               /*dwCreationFlags=*/0, /*lpThreadId=*/nullptr));
    if (!thread_) return GetLastError();
    // The thread signals once the window is made or could not be made; its end counts too, so that a
    // thread that ends early cannot leave this waiting.
    const HANDLE madeOrEnded[] = {made_.get(), thread_.get()};
    if (WaitForMultipleObjects(2, madeOrEnded, /*bWaitAll=*/FALSE, INFINITE) == WAIT_FAILED) return GetLastError();
    return makeError_;
  }

  // Read only after Start: the window thread writes them before it sets made_, and SetEvent and the
  // wait on it order those writes before these reads.
  HWND window() const { return window_; }
  HWND label() const { return label_; }

  /// SetWindowPos at the stored place, topmost, with SWP_SHOWWINDOW or SWP_HIDEWINDOW.
  [[nodiscard]] WinError Place(UINT visibility) const {
    return ErrorOf(SetWindowPos(window_, HWND_TOPMOST, x_, y_, kWindowWidth, kWindowHeight, visibility));
  }

 private:
  static DWORD WINAPI ThreadStart(LPVOID form) {
    static_cast<TSetupForm*>(form)->Execute();
    return 0;
  }

  void Execute() {
    makeError_ = MakeWindow();
    SetEvent(made_.get());
    if (makeError_ != ERROR_SUCCESS) return;
    MSG message;
    while (GetMessageA(&message, /*hWnd=*/nullptr, /*wMsgFilterMin=*/0, /*wMsgFilterMax=*/0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

  WinError MakeWindow() {
    x_ = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
    y_ = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
    commonControls_ = InitCommonControlsAtRunTime();
    if (const WinError error = RegisterWindowClass(); error != ERROR_SUCCESS) return error;
    window_ = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_STATICEDGE, kWindowClass, title_.c_str(),
                              WS_DLGFRAME, x_, y_, kWindowWidth, kWindowHeight, /*hWndParent=*/nullptr,
                              /*hMenu=*/nullptr, GetModuleHandleA(nullptr), /*lpParam=*/this);
    if (window_ == nullptr) return LastErrorOr(ERROR_INVALID_WINDOW_HANDLE);
    ShowWindow(window_, SW_SHOWNORMAL);
    return ERROR_SUCCESS;
  }

  static WinError RegisterWindowClass() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_NOCLOSE;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.cbClsExtra = 4;
    windowClass.cbWndExtra = 4;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = nullptr;  // the program has no icon of its own for this window
    windowClass.hCursor = LoadCursorA(/*hInstance=*/nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExA(&windowClass) != 0) return ERROR_SUCCESS;
    // A window made earlier in this process registered the same class with the same procedure.
    const DWORD error = GetLastError();
    return error == ERROR_CLASS_ALREADY_EXISTS ? ERROR_SUCCESS : error;
  }

  void MakeChildren(HWND window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    label_ = CreateWindowExA(/*dwExStyle=*/0, "STATIC", text_.c_str(), WS_CHILD | WS_VISIBLE, 2, 2, 399, 20, window,
                             /*hMenu=*/nullptr, instance, /*lpParam=*/nullptr);
    // Nothing sets the bar's range or position: it only shows that work is going on.
    CreateWindowExA(/*dwExStyle=*/0, "msctls_progress32", "", WS_CHILD | WS_VISIBLE | WS_THICKFRAME, 2, 24, 400, 20,
                    window, /*hMenu=*/nullptr, instance, /*lpParam=*/nullptr);
  }

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        static_cast<TSetupForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams)->MakeChildren(window);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
  }

  const std::string title_;
  const std::string text_;
  unique_handle made_;    // an event the window thread sets once MakeWindow has returned
  unique_handle thread_;  // joined by the destructor
  // Written by the window thread before it sets made_; afterwards only read.
  WinError makeError_ = ERROR_SUCCESS;
  unique_hmodule commonControls_;
  int x_ = 0;
  int y_ = 0;
  HWND window_ = nullptr;
  HWND label_ = nullptr;
};

Win32ProgressWindow::Win32ProgressWindow() = default;
Win32ProgressWindow::~Win32ProgressWindow() = default;

WinError Win32ProgressWindow::Show(const std::string& title, const std::string& text) {
  if (form_ && form_->window() != nullptr) {
    return FirstFailure({SetTitle(title), SetText(text), form_->Place(SWP_SHOWWINDOW)});
  }
  pendingTitle_ = title;
  pendingText_ = text;
  form_.reset();  // a thread that could not make its window has ended already
  form_ = std::make_unique<TSetupForm>(pendingTitle_, pendingText_);
  return form_->Start();
}

WinError Win32ProgressWindow::Hide() {
  if (form_ && form_->window() != nullptr) return form_->Place(SWP_HIDEWINDOW);
  return ERROR_SUCCESS;
}

WinError Win32ProgressWindow::SetTitle(const std::string& title) {
  if (form_ && form_->window() != nullptr) return ErrorOf(SetWindowTextA(form_->window(), title.c_str()));
  pendingTitle_ = title;
  return ERROR_SUCCESS;
}

WinError Win32ProgressWindow::SetText(const std::string& text) {
  if (form_ && form_->window() != nullptr) return ErrorOf(SetWindowTextA(form_->label(), text.c_str()));
  pendingText_ = text;
  return ERROR_SUCCESS;
}

}  // namespace velora::win32
