// Placeholder entry point while the modules it needs are merged; replaced by main.cpp.pending.
#include <windows.h>

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) { return 0; }
