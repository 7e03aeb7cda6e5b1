#include "platform/win32/system.h"

#include <shellapi.h>

#include <vector>

#include "platform/win32/last_error.h"

namespace velora::win32 {
namespace {

using platform::WinResult;

using GetFileVersionInfoSizeAFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using GetFileVersionInfoAFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using VerQueryValueAFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

class Win32FileVersionInfo final : public platform::FileVersionInfo {
 public:
  Win32FileVersionInfo(std::vector<char> block, VerQueryValueAFn query) : block_(std::move(block)), query_(query) {}

  std::optional<std::vector<std::uint32_t>> TryQueryTranslations() override {
    void* data = nullptr;
    UINT length = 0;
    if (!query_(block_.data(), "\\VarFileInfo\\Translation", &data, &length) || data == nullptr) return std::nullopt;
    std::vector<std::uint32_t> entries(length / sizeof(std::uint32_t));
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const auto* words = static_cast<const WORD*>(data) + 2 * i;
      entries[i] = static_cast<std::uint32_t>(words[0]) | (static_cast<std::uint32_t>(words[1]) << 16);
    }
    return entries;
  }

  std::optional<std::string> TryQueryString(const std::string& subBlock) override {
    void* data = nullptr;
    UINT length = 0;
    if (!query_(block_.data(), subBlock.c_str(), &data, &length) || data == nullptr) return std::nullopt;
    const char* text = static_cast<const char*>(data);
    // The length counts characters and may include the terminator; the text ends at the first zero.
    std::string value(text, length);
    return value.substr(0, value.find('\0'));
  }

 private:
  std::vector<char> block_;
  VerQueryValueAFn query_;
};

}  // namespace

std::optional<std::uintptr_t> Win32ProgramFiles::TryGetExeType(const std::string& path) {
  SHFILEINFOA info{};
  const DWORD_PTR type = SHGetFileInfoA(path.c_str(), /*dwFileAttributes=*/0, &info, sizeof info, SHGFI_EXETYPE);
  if (type == 0) return std::nullopt;
  return static_cast<std::uintptr_t>(type);
}

WinResult<std::unique_ptr<platform::FileVersionInfo>> Win32ProgramFiles::LoadFileVersionInfo(const std::string& path) {
  using Loaded = std::unique_ptr<platform::FileVersionInfo>;
  // version.dll is not imported: an elevated program must not let it be found beside the exe.
  if (!versionDll_) {
    auto loaded = LoadSystemLibrary("version.dll");
    if (!loaded.ok()) return platform::Failed<Loaded>(loaded.error);
    versionDll_ = std::move(loaded.value);
  }
  auto proc = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(versionDll_.get(), name)); };
  auto getSize = reinterpret_cast<GetFileVersionInfoSizeAFn>(proc("GetFileVersionInfoSizeA"));
  auto getInfo = reinterpret_cast<GetFileVersionInfoAFn>(proc("GetFileVersionInfoA"));
  auto query = reinterpret_cast<VerQueryValueAFn>(proc("VerQueryValueA"));
  if (getSize == nullptr || getInfo == nullptr || query == nullptr)
    return platform::Failed<Loaded>(ERROR_PROC_NOT_FOUND);
  DWORD handle = 0;
  const DWORD size = getSize(path.c_str(), &handle);
  if (size == 0) return platform::Failed<Loaded>(LastErrorOr(ERROR_RESOURCE_TYPE_NOT_FOUND));
  std::vector<char> block(size, '\0');
  if (!getInfo(path.c_str(), /*dwHandle=*/0, size, block.data())) {
    return platform::Failed<Loaded>(LastErrorOr(ERROR_RESOURCE_TYPE_NOT_FOUND));
  }
  return platform::Succeeded<Loaded>(std::make_unique<Win32FileVersionInfo>(std::move(block), query));
}

}  // namespace velora::win32
