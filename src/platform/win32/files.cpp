#include "platform/win32/files.h"

#include <cstring>
#include <vector>

#include "platform/win32/last_error.h"
#include "platform/win32/own_module.h"
#include "platform/win32/run_time_link.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace velora::win32 {
namespace {

using platform::WinError;
using platform::WinResult;

class Win32File final : public platform::OpenFile {
 public:
  explicit Win32File(unique_hfile file) : file_(std::move(file)) {}

  WinResult<std::string> Read(std::size_t count) override {
    std::string bytes(count, '\0');
    DWORD read = 0;
    if (!ReadFile(file_.get(), bytes.data(), static_cast<DWORD>(count), &read, /*lpOverlapped=*/nullptr)) {
      return platform::Failed<std::string>(GetLastError());
    }
    bytes.resize(read);
    return platform::Succeeded(std::move(bytes));
  }

  WinError Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        return GetLastError();
      }
      if (written == 0) return ERROR_WRITE_FAULT;
      bytes.remove_prefix(written);
    }
    return ERROR_SUCCESS;
  }

  WinError Seek(std::uint64_t offset) override {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return ErrorOf(SetFilePointerEx(file_.get(), distance, /*lpNewFilePointer=*/nullptr, FILE_BEGIN));
  }

  WinError Flush() override { return ErrorOf(FlushFileBuffers(file_.get())); }

  WinResult<platform::FileInformation> Information() override {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file_.get(), &info))
      return platform::Failed<platform::FileInformation>(GetLastError());
    return platform::Succeeded(platform::FileInformation{
        .attributes = info.dwFileAttributes,
        .size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
        .links = info.nNumberOfLinks,
    });
  }

  WinResult<std::string> FinalPath() override {
    using GetFinalPathNameByHandleWFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    // Present from Windows Vista on.
    const auto query = ExportOf<GetFinalPathNameByHandleWFn>("kernel32.dll", "GetFinalPathNameByHandleW");
    if (query == nullptr) return platform::Failed<std::string>(ERROR_PROC_NOT_FOUND);
    constexpr DWORD kNormalizedDosName = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length = query(file_.get(), path.data(), static_cast<DWORD>(path.size()), kNormalizedDosName);
      if (length == 0) return platform::Failed<std::string>(GetLastError());
      // Too small a buffer: the length asked for, terminator included.
      if (length < path.size()) {
        path.resize(length);
        break;
      }
      path.resize(length);
    }
    return AnsiFromWide(WithoutLongPathPrefix(path));
  }

  WinError MarkForDeletion() override {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetInformation(FileDispositionInfo, &disposition, sizeof disposition);
  }

  WinError RenameTo(platform::OpenFile* rootFolder, const std::string& name, bool replaceIfExists) override {
    const std::wstring wideName = WideFromAnsi(name);
    const std::size_t nameBytes = wideName.size() * sizeof(wchar_t);
    // FILE_RENAME_INFO ends in the name's first character; the rest of the name follows it.
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replaceIfExists ? TRUE : FALSE;
    // Every OpenFile of this adapter is a Win32File.
    info->RootDirectory = rootFolder == nullptr ? nullptr : static_cast<Win32File*>(rootFolder)->file_.get();
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, wideName.data(), nameBytes);
    return SetInformation(FileRenameInfo, info, static_cast<DWORD>(buffer.size()));
  }

 private:
  // SetFileInformationByHandle, present from Windows Vista on; kErrorProcNotFound before it.
  WinError SetInformation(FILE_INFO_BY_HANDLE_CLASS kind, void* information, DWORD size) {
    using SetFileInformationByHandleFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    const auto set = ExportOf<SetFileInformationByHandleFn>("kernel32.dll", "SetFileInformationByHandle");
    if (set == nullptr) return ERROR_PROC_NOT_FOUND;
    return ErrorOf(set(file_.get(), kind, information, size));
  }

  // "\\?\C:\x" as "C:\x", and "\\?\UNC\server\share" as "\\server\share": as a path is written.
  static std::wstring WithoutLongPathPrefix(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
  }

  unique_hfile file_;
};

}  // namespace

WinResult<platform::OpenFilePtr> Win32Files::Open(const std::string& path, std::uint32_t access, std::uint32_t share,
                                                  std::uint32_t disposition) {
  return OpenWithFlags(path, access, share, disposition, FILE_ATTRIBUTE_NORMAL);
}

WinResult<platform::OpenFilePtr> Win32Files::OpenWithFlags(const std::string& path, std::uint32_t access,
                                                           std::uint32_t share, std::uint32_t disposition,
                                                           std::uint32_t flagsAndAttributes) {
  unique_hfile file(CreateFileA(path.c_str(), access, share, /*lpSecurityAttributes=*/nullptr, disposition,
                                flagsAndAttributes, /*hTemplateFile=*/nullptr));
  if (!file) return platform::Failed<platform::OpenFilePtr>(GetLastError());
  return platform::Succeeded<platform::OpenFilePtr>(std::make_unique<Win32File>(std::move(file)));
}

WinResult<std::uint32_t> Win32Files::Attributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return platform::Failed<std::uint32_t>(GetLastError());
  return platform::Succeeded<std::uint32_t>(attributes);
}

WinError Win32Files::Delete(const std::string& path) { return ErrorOf(DeleteFileA(path.c_str())); }

WinError Win32Files::Move(const std::string& from, const std::string& to, std::uint32_t flags) {
  return ErrorOf(MoveFileExA(from.c_str(), to.c_str(), flags));
}

WinError Win32Files::AddHardLink(const std::string& link, const std::string& existing) {
  return ErrorOf(CreateHardLinkA(link.c_str(), existing.c_str(), /*lpSecurityAttributes=*/nullptr));
}

WinResult<std::vector<platform::DirectoryEntry>> Win32Files::FindFiles(const std::string& pattern) {
  std::vector<platform::DirectoryEntry> entries;
  WIN32_FIND_DATAA data{};
  unique_hfind find(FindFirstFileA(pattern.c_str(), &data));
  if (!find) return {GetLastError(), std::move(entries)};
  do {
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back({data.cFileName, data.dwFileAttributes, size});
  } while (FindNextFileA(find.get(), &data));
  const DWORD ended = GetLastError();
  return {ended == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : ended, std::move(entries)};
}

WinResult<std::string> Win32Files::LongFullPath(const std::string& path) {
  // Both calls take the buffer's size and return the length without the terminator, or the size needed
  // with it when the buffer is too small.
  auto ask = [](auto query) {
    std::string text(MAX_PATH, '\0');
    for (;;) {
      const DWORD length = query(text.data(), static_cast<DWORD>(text.size()));
      if (length == 0) return platform::Failed<std::string>(GetLastError());
      if (length < text.size()) {
        text.resize(length);
        return platform::Succeeded(std::move(text));
      }
      text.resize(length);
    }
  };
  auto full = ask([&](LPSTR buffer, DWORD size) { return GetFullPathNameA(path.c_str(), size, buffer, nullptr); });
  if (!full.ok()) return full;
  return ask([&](LPSTR buffer, DWORD size) { return GetLongPathNameA(full.value.c_str(), buffer, size); });
}

WinResult<platform::OpenFilePtr> Win32Files::OpenOwnModule() {
  const auto path = OwnModulePath();
  if (!path.ok()) return platform::Failed<platform::OpenFilePtr>(path.error);
  unique_hfile file(CreateFileW(path.value.c_str(), GENERIC_READ, FILE_SHARE_READ, /*lpSecurityAttributes=*/nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr));
  if (!file) return platform::Failed<platform::OpenFilePtr>(GetLastError());
  return platform::Succeeded<platform::OpenFilePtr>(std::make_unique<Win32File>(std::move(file)));
}

WinError Win32Files::SetCurrentFolder(const std::string& path) { return ErrorOf(SetCurrentDirectoryA(path.c_str())); }

}  // namespace velora::win32
