// Shows two message boxes for the robot's own tests and exits with 100 * first answer + second answer:
// a topmost Yes/No question, then an error box with a Windows-1251 Russian text.
// "box_demo.exe hang" shows nothing and never ends; "box_demo.exe env" exits with VELORA_DEMO_EXIT.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (std::strcmp(commandLine, "hang") == 0) {
    Sleep(INFINITE);
  }
  if (std::strcmp(commandLine, "env") == 0) {
    char value[16] = {};
    GetEnvironmentVariableA("VELORA_DEMO_EXIT", value, sizeof value);
    return std::atoi(value);
  }
  // Wine marks a box WS_EX_TOPMOST only for MB_SYSTEMMODAL; MB_TOPMOST alone leaves the style unmarked.
  const int first = MessageBoxA(/*hWnd=*/nullptr, "Continue the demo?", "Demo question",
                                MB_YESNO | MB_ICONQUESTION | MB_TOPMOST | MB_SYSTEMMODAL);
  const int second = MessageBoxExA(/*hWnd=*/nullptr, "Ошибка: файл не найден.", "Демо", MB_OK | MB_ICONERROR,
                                   MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
  return first * 100 + second;
}
