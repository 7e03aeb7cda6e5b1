// libFuzzer target for the head of the installed data file, read before the update asks anything: the
// first input byte picks the kind (".3bs" or another), the rest is the head. Whatever the bytes, the
// version is one byte of the head or nothing: 0 to 255 for ".3bs", that less 32 for other kinds. Which
// byte it is, is pinned by the unit tests of the version readers.
#include <cstdint>
#include <string_view>

#include "install/version_readers.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool is3bs = (data[0] & 1) != 0;
  const std::string_view head(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::int32_t version = velora::InstalledVersionFromHead(head, is3bs);
  const std::int32_t lowest = is3bs ? 0 : -32;
  Check(version >= lowest && version <= lowest + 255);
  return 0;
}
