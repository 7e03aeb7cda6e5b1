#include "platform/win32/system.h"

#include "base/hex_text.h"
#include "platform/win32/run_time_link.h"

namespace velora::win32 {

using platform::WinError;
using platform::WinResult;

WinError Win32OwnModule::SetDefaultDllDirectories(std::uint32_t flags) {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  // Present from Windows 8 and in Windows 7 with KB2533623; absent before.
  auto set = ExportOf<SetDefaultDllDirectoriesFn>("kernel32.dll", "SetDefaultDllDirectories");
  if (set == nullptr) return ERROR_PROC_NOT_FOUND;
  return set(flags) ? ERROR_SUCCESS : GetLastError();
}

WinError Win32OwnModule::SetDllFolder(const std::string& folder) {
  using SetDllDirectoryAFn = BOOL(WINAPI*)(LPCSTR);
  // Present from Windows XP SP1 on; looked up so that the program still starts where it is not.
  auto set = ExportOf<SetDllDirectoryAFn>("kernel32.dll", "SetDllDirectoryA");
  if (set == nullptr) return ERROR_PROC_NOT_FOUND;
  return set(folder.c_str()) ? ERROR_SUCCESS : GetLastError();
}

WinResult<std::string> Win32OwnModule::LoadModuleResource(const std::string& name, const std::string& type) {
  HRSRC info = FindResourceA(/*hModule=*/nullptr, name.c_str(), type.c_str());
  if (info == nullptr) return platform::Failed<std::string>(GetLastError());
  const DWORD size = SizeofResource(nullptr, info);
  HGLOBAL loaded = LoadResource(nullptr, info);
  if (loaded == nullptr) return platform::Failed<std::string>(GetLastError());
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr && size != 0) return platform::Failed<std::string>(ERROR_RESOURCE_DATA_NOT_FOUND);
  return platform::Succeeded(std::string(static_cast<const char*>(bytes), size));
}

WinResult<std::string> Win32OwnModule::Sha256Hex(std::string_view bytes) {
  unique_hcryptprov provider;
  if (!CryptAcquireContextA(provider.put(), /*szContainer=*/nullptr, /*szProvider=*/nullptr, PROV_RSA_AES,
                            CRYPT_VERIFYCONTEXT)) {
    return platform::Failed<std::string>(GetLastError());
  }
  unique_hcrypthash hash;
  if (!CryptCreateHash(provider.get(), CALG_SHA_256, /*hKey=*/0, /*dwFlags=*/0, hash.put())) {
    return platform::Failed<std::string>(GetLastError());
  }
  constexpr std::size_t kChunk = 1 << 20;
  for (std::size_t offset = 0; offset < bytes.size(); offset += kChunk) {
    const std::size_t count = bytes.size() - offset < kChunk ? bytes.size() - offset : kChunk;
    if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(bytes.data() + offset), static_cast<DWORD>(count),
                       0)) {
      return platform::Failed<std::string>(GetLastError());
    }
  }
  BYTE digest[32];
  DWORD length = sizeof digest;
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &length, /*dwFlags=*/0) || length != sizeof digest) {
    return platform::Failed<std::string>(GetLastError());
  }
  std::string hex;
  for (BYTE b : digest) hex += HexText(b, 2, HexLetters::Lower);
  return platform::Succeeded(std::move(hex));
}

}  // namespace velora::win32
