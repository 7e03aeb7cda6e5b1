#include "platform/win32/progress_window.h"

#include <windows.h>

#include <future>
#include <thread>

#include "platform/win32/system.h"
#include "platform/win32/unique_handle.h"

namespace velora::win32 {
namespace {

constexpr int kWindowWidth = 408;
constexpr int kWindowHeight = 76;
constexpr char kWindowClass[] = "PlainWindow";

// comctl32 is not imported (the exe imports only DLLs Windows always loads from the system folder), so
// it is loaded from there by full path; the module must stay loaded while the bar exists.
unique_hmodule InitCommonControlsAtRunTime() {
  unique_hmodule commonControls = LoadSystemLibrary("comctl32.dll");
  if (commonControls) {
    using InitCommonControlsFn = void(WINAPI*)();
    auto init = reinterpret_cast<InitCommonControlsFn>(
        reinterpret_cast<void*>(GetProcAddress(commonControls.get(), "InitCommonControls")));
    if (init != nullptr) init();
  }
  return commonControls;
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
    if (!thread_.joinable()) return;
    if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, /*wParam=*/0, /*lParam=*/0);
    thread_.join();
  }

  /// Starts the thread and returns once the window is made and shown, or could not be made.
  void Start() {
    std::future<void> made = made_.get_future();
    thread_ = std::thread([this] { Execute(); });
    made.wait();
  }

  // Read only after Start: the window thread writes them before it fulfils made_.
  HWND window() const { return window_; }
  HWND label() const { return label_; }

  /// SetWindowPos at the stored place, topmost, with SWP_SHOWWINDOW or SWP_HIDEWINDOW.
  void Place(UINT visibility) const {
    SetWindowPos(window_, HWND_TOPMOST, x_, y_, kWindowWidth, kWindowHeight, visibility);
  }

 private:
  void Execute() {
    const bool shown = MakeWindow();
    made_.set_value();
    if (!shown) return;
    MSG message;
    while (GetMessageA(&message, /*hWnd=*/nullptr, /*wMsgFilterMin=*/0, /*wMsgFilterMax=*/0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

  bool MakeWindow() {
    x_ = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
    y_ = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
    commonControls_ = InitCommonControlsAtRunTime();
    if (!RegisterWindowClass()) return false;
    window_ = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_STATICEDGE, kWindowClass, title_.c_str(),
                              WS_DLGFRAME, x_, y_, kWindowWidth, kWindowHeight, /*hWndParent=*/nullptr,
                              /*hMenu=*/nullptr, GetModuleHandleA(nullptr), /*lpParam=*/this);
    if (window_ == nullptr) return false;
    ShowWindow(window_, SW_SHOWNORMAL);
    return true;
  }

  static bool RegisterWindowClass() {
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
    // A window made earlier in this process registered the same class with the same procedure.
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
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
  std::promise<void> made_;
  std::thread thread_;
  // Written by the window thread before it fulfils made_; afterwards only read.
  unique_hmodule commonControls_;
  int x_ = 0;
  int y_ = 0;
  HWND window_ = nullptr;
  HWND label_ = nullptr;
};

Win32ProgressWindow::Win32ProgressWindow() = default;
Win32ProgressWindow::~Win32ProgressWindow() = default;

void Win32ProgressWindow::Show(const std::string& title, const std::string& text) {
  if (form_ && form_->window() != nullptr) {
    SetTitle(title);
    SetText(text);
    form_->Place(SWP_SHOWWINDOW);
    return;
  }
  pendingTitle_ = title;
  pendingText_ = text;
  form_.reset();  // a thread that could not make its window has ended already
  form_ = std::make_unique<TSetupForm>(pendingTitle_, pendingText_);
  form_->Start();
}

void Win32ProgressWindow::Hide() {
  if (form_ && form_->window() != nullptr) form_->Place(SWP_HIDEWINDOW);
}

void Win32ProgressWindow::SetTitle(const std::string& title) {
  if (form_ && form_->window() != nullptr) {
    SetWindowTextA(form_->window(), title.c_str());
  } else {
    pendingTitle_ = title;
  }
}

void Win32ProgressWindow::SetText(const std::string& text) {
  if (form_ && form_->window() != nullptr) {
    SetWindowTextA(form_->label(), text.c_str());
  } else {
    pendingText_ = text;
  }
}

}  // namespace velora::win32
