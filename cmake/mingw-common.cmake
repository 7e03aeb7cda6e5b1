# Cross-compiles for Windows with the posix-threaded MinGW-w64 compilers of VELORA_MINGW_TRIPLE (the
# win32 thread model has no std::mutex, which GoogleTest needs). Included by the toolchain file of each
# flavour, which sets the triple and the Wine architecture its test programs need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VELORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELORA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine in a prefix that belongs to this build tree, with the loader of their
# architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run;${CMAKE_BINARY_DIR}/wineprefix;${VELORA_WINE_ARCH}")
