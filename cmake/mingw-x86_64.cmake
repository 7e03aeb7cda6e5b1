# The same sources for x86-64 Windows (PE32+), never shipped: it runs the Wine tiers on hosts whose kernel
# runs no 32-bit code, under Wine's 64-bit loader alone.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(VELORA_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
