# The shipped flavour: 32-bit Windows (PE32, i386), its test programs under Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELORA_MINGW_TRIPLE i686-w64-mingw32)
set(VELORA_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
