// libFuzzer target for the version readers of the product's file kinds, over a fake file that holds the
// input after its first byte. The first byte's low bit has another process hold the file without
// sharing. The numeric readers give the little-endian number at their offset, or 0 for a short or held
// file; the language file reader shows its box exactly when it gives 0 for a file it could not read;
// no reader leaves a handle open.
#include <cstdint>
#include <optional>
#include <string>

#include "install/version_readers.h"
#include "support/fake_windows.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::int32_t LittleEndianAt(const std::string& bytes, std::size_t offset, std::size_t count, bool held) {
  if (held || bytes.size() < offset + count) return 0;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i)
    value |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool held = (data[0] & 1) != 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  velora::fakes::FakeWindows fake;
  for (const char* path : {"C:\\Velora\\a.pak", "C:\\Velora\\a.cok", "C:\\Velora\\a.3bs", "C:\\Velora\\a.lng"}) {
    fake.files.AddFile(path, bytes);
    if (held) fake.files.LockExternally(path);
  }

  Check(velora::ReadPakVersion(fake.files, "C:\\Velora\\a.pak") == LittleEndianAt(bytes, 6, 2, held));
  Check(velora::ReadCokVersion(fake.files, "C:\\Velora\\a.cok") == LittleEndianAt(bytes, 5, 2, held));
  Check(velora::Read3bsVersion(fake.files, "C:\\Velora\\a.3bs") == LittleEndianAt(bytes, 6, 1, held));
  Check(fake.ui.boxes.empty());

  const std::optional<std::int32_t> languageVersion = velora::TryReadLngVersion(fake.files, "C:\\Velora\\a.lng");
  if (held) Check(!languageVersion);
  Check(fake.files.OpenHandleCount() == 0);
  return 0;
}
