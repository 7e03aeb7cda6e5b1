// libFuzzer target for the PE header reader of the integrity check. Whatever the bytes, it reads nothing
// outside them (the sanitizers watch), and a layout it returns lies inside the file: the rewritten header
// fields before the signed content's end, and a certificate entry that describes the rest of the file.
#include <cstdint>
#include <string_view>

#include "driver/signing_layout.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::uint32_t NumberAt(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view image(reinterpret_cast<const char*>(data), size);
  const auto layout = velora::TryFindSigningLayout(image);
  if (!layout) return 0;
  Check(image.substr(0, 2) == "MZ");
  Check(layout->checksumOffset + velora::kChecksumSize <= layout->certificateEntryOffset);
  Check(layout->certificateEntryOffset + velora::kCertificateEntrySize <= size);
  Check(layout->signedContentEnd <= size);
  const std::uint32_t tableOffset = NumberAt(image, layout->certificateEntryOffset);
  const std::uint32_t tableSize = NumberAt(image, layout->certificateEntryOffset + 4);
  if (layout->signedContentEnd == size) {
    Check(tableOffset == 0 && tableSize == 0);
  } else {
    Check(tableOffset == layout->signedContentEnd && std::uint64_t{tableOffset} + tableSize == size);
  }
  return 0;
}
