# Cross-compiles for 32-bit Windows with Debian's clang and lld against the MinGW-w64 headers and
# libraries (g++-mingw-w64-i686, mingw-w64-i686-dev): a second compiler's warnings over the updater.
# clang 14 does not find the MinGW libstdc++ by itself, so its folders are named here. The win32
# thread-model runtime is used: the posix one's libgcc needs winpthread, which clang does not link, and
# the updater uses no std threads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELORA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${VELORA_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${VELORA_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${VELORA_MINGW_TRIPLE}-windres)

file(GLOB VELORA_MINGW_GCC_DIR LIST_DIRECTORIES true /usr/lib/gcc/${VELORA_MINGW_TRIPLE}/*-win32)
if(NOT VELORA_MINGW_GCC_DIR)
  message(FATAL_ERROR "No MinGW-w64 GCC runtime under /usr/lib/gcc/${VELORA_MINGW_TRIPLE} (package g++-mingw-w64-i686)")
endif()
list(GET VELORA_MINGW_GCC_DIR 0 VELORA_MINGW_GCC_DIR)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem ${VELORA_MINGW_GCC_DIR}/include/c++ \
-isystem ${VELORA_MINGW_GCC_DIR}/include/c++/${VELORA_MINGW_TRIPLE} -isystem ${VELORA_MINGW_GCC_DIR}/include/c++/backward")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${VELORA_MINGW_GCC_DIR} -Wno-unused-command-line-argument")

set(CMAKE_FIND_ROOT_PATH /usr/${VELORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# -Oz: clang's smallest code, as the exe's size budget is counted in bytes; identical code folded once.
set(CMAKE_C_FLAGS_MINSIZEREL "-Oz -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Oz -DNDEBUG" CACHE STRING "")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--icf=all")
