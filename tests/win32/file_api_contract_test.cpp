// The file seam's contract against Windows itself (here Wine) through the real adapter: the same cases
// the host runs over its fake file system.
#include <windows.h>

#include "contract/file_api_contract.h"
#include "platform/win32/files.h"
#include "platform/win32/unique_handle.h"

namespace velora::contract {
namespace {

/// Removes folder (ending in "\") with everything below it.
void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  win32::unique_hfind find(FindFirstFileA((folder + "*").c_str(), &found));
  if (find) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(folder + name + "\\");
      } else {
        DeleteFileA((folder + name).c_str());
      }
    } while (FindNextFileA(find.get(), &found));
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

struct WindowsFileSystem {
  WindowsFileSystem() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "velora-contract\\";
    RemoveTree(root);  // left over by a run that was cut short
    CreateDirectoryA(root.c_str(), /*lpSecurityAttributes=*/nullptr);
  }
  ~WindowsFileSystem() { RemoveTree(root); }
  const std::string& Root() const { return root; }
  void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), /*lpSecurityAttributes=*/nullptr); }

  std::string root;
  win32::Win32Files files;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32Files, FileApiContract, ::testing::Types<WindowsFileSystem>);

}  // namespace velora::contract
