// The file seam's contract over the host's fake file system; tests/win32 runs the same cases against
// Windows itself.
#include "contract/file_api_contract.h"
#include "support/fake_files.h"

namespace velora::contract {

struct FakeFileSystem {
  FakeFileSystem() { files.AddFolder(Root()); }
  static std::string Root() { return "C:\\Contract\\"; }
  void MakeFolder(const std::string& path) { files.AddFolder(path); }

  fakes::Journal journal;
  fakes::FakeFiles files{journal};
};

INSTANTIATE_TYPED_TEST_SUITE_P(FakeFiles, FileApiContract, ::testing::Types<FakeFileSystem>);

}  // namespace velora::contract
