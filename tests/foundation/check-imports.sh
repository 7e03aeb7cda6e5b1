#!/usr/bin/env bash
# The exe's import table: only the six DLLs that Windows always loads from System32, and only functions
# that Windows XP SP3 has, so that the program starts there. Every imported function must be listed below
# with the first Windows version that has it (Microsoft's documentation: 5.0 Windows 2000, 5.1 XP,
# 6.0 Vista); a function not listed, or one newer than 5.1, fails the test. Newer functions are looked
# up at run time instead (src/platform/win32/run_time_link.h).
set -euo pipefail
exe=${1:?exe}
allowed='^(kernel32|user32|gdi32|advapi32|shell32|msvcrt)\.dll$'
minimum=5.1

first_version() {
  case "$1" in
    # Newer than XP: listed so that an import of one says what it is.
    CreateProcessWithTokenW|GetFinalPathNameByHandleW|CreateSymbolicLinkW|GetTickCount64) echo 6.0 ;;
    SetDefaultDllDirectories|AddDllDirectory) echo 6.2 ;;
    SetDllDirectoryA|SetDllDirectoryW) echo 5.2 ;;  # XP SP1 in fact; looked up at run time all the same
    # kernel32
    CloseHandle|CreateEventA|CreateFileA|CreateFileW|CreateFileMappingA|CreateProcessA|CreateThread|CreatePipe|\
    DeleteCriticalSection|DeleteFileA|EnterCriticalSection|ExitProcess|FindClose|FindFirstFileA|FindNextFileA|\
    FindResourceA|FlushFileBuffers|FormatMessageA|FreeLibrary|GetCurrentProcess|GetCurrentProcessId|\
    GetCurrentThreadId|GetEnvironmentVariableA|GetFileAttributesA|GetFileInformationByHandle|GetFullPathNameA|\
    GetLastError|GetLocalTime|GetLongPathNameA|GetModuleFileNameA|GetModuleFileNameW|GetModuleHandleA|\
    GetModuleHandleW|GetProcAddress|GetProcessHeap|GetStartupInfoA|GetSystemDirectoryA|GetSystemInfo|\
    GetSystemTimeAsFileTime|GetTickCount|GetUserDefaultLCID|GetVersionExA|GetWindowsDirectoryA|HeapAlloc|HeapFree|\
    InitializeCriticalSection|IsDBCSLeadByteEx|LeaveCriticalSection|LoadLibraryA|LoadLibraryExA|LoadResource|\
    LocalFree|LockResource|MoveFileExA|MultiByteToWideChar|OpenProcess|QueryPerformanceCounter|ReadFile|\
    PeekNamedPipe|SetCurrentDirectoryA|SetEvent|SetFilePointerEx|SetHandleInformation|SetLastError|\
    SetUnhandledExceptionFilter|SizeofResource|Sleep|\
    TerminateProcess|TlsGetValue|UnhandledExceptionFilter|VirtualProtect|VirtualQuery|WaitForMultipleObjects|\
    WaitForSingleObject|WideCharToMultiByte|WriteFile) echo 5.0 ;;
    CreateHardLinkA|CreateToolhelp32Snapshot|lstrcmpiW|OpenFileMappingA|Process32FirstW|Process32NextW) echo 5.0 ;;
    ProcessIdToSessionId|WTSGetActiveConsoleSessionId) echo 5.1 ;;
    # advapi32
    CryptAcquireContextA|CryptCreateHash|CryptDestroyHash|CryptGetHashParam|CryptHashData|CryptReleaseContext|\
    DuplicateTokenEx|GetTokenInformation|OpenProcessToken|RegCloseKey|RegCreateKeyExA|RegOpenKeyExA|RegQueryValueExA|RegSetValueExA|\
    CreateProcessAsUserW|SetTokenInformation) echo 5.0 ;;
    # user32 and gdi32
    CreateWindowExA|DefWindowProcA|DispatchMessageA|FindWindowA|GetMessageA|GetShellWindow|GetSystemMetrics|\
    GetWindowThreadProcessId|LoadCursorA|MessageBoxA|MessageBoxExA|OemToCharBuffA|PostMessageA|PostQuitMessage|\
    RegisterClassExA|SetWindowPos|SetWindowTextA|ShowWindow|TranslateMessage|WaitForInputIdle|GetStockObject) echo 5.0 ;;
    # shell32
    IsUserAnAdmin|SHGetFileInfoA|ShellExecuteA) echo 5.0 ;;
    # msvcrt, as XP's system copy has it
    __argc|__argv|__getmainargs|__initenv|__iob_func|__lconv_init|__p___argv|__p__acmdln|__p__commode|__p__fmode|\
    __set_app_type|__setusermatherr|_amsg_exit|_cexit|_errno|_initterm|_iob|_lock|_onexit|_unlock|abort|atexit|\
    calloc|exit|fprintf|free|fwrite|localeconv|malloc|memchr|memcmp|memcpy|memmove|memset|realloc|signal|strerror|\
    strlen|strncmp|vfprintf|wcslen) echo 5.0 ;;
    *) echo unknown ;;
  esac
}

listing=$(i686-w64-mingw32-objdump -p "$exe")
dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$listing" | sort -u)
# Lines "<address> <hint> <name>" under each "DLL Name:".
table=$(awk '/DLL Name:/ { dll = tolower($3); next } dll != "" && /^\t[0-9a-f]+\t *[0-9]+ +[A-Za-z_]/ { print dll, $3 }' \
        <<<"$listing")
echo "Imports of $exe:"; echo "$dlls"
status=0
bad=$(grep -Ev "$allowed" <<<"$dlls" || true)
if [ -n "$bad" ]; then echo "Not allowed: $bad" >&2; status=1; fi
[ -n "$table" ] || { echo "no imported functions found: the listing changed?" >&2; exit 1; }
while read -r dll function; do
  version=$(first_version "$function")
  if [ "$version" = unknown ]; then
    echo "$dll $function: not in the table; add it with the first Windows version that has it" >&2; status=1
  elif [ "$(printf '%s\n%s\n' "$version" "$minimum" | sort -V | tail -n 1)" != "$minimum" ]; then
    echo "$dll $function: from Windows $version, newer than $minimum; look it up at run time" >&2; status=1
  fi
done <<<"$table"
[ $status -eq 0 ] && echo "$(wc -l <<<"$table") functions, all present from Windows $minimum on"
exit $status
