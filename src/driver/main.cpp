// The updater's entry point.
#include <windows.h>

#include "payload_info.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  return 0;
}
