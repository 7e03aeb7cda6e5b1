#include "driver/signing_layout.h"

#include <cstdint>

namespace velora {
namespace {

// Offsets of the PE format (Microsoft PE/COFF specification).
constexpr std::uint64_t kNewHeaderPointerOffset = 0x3C;  // e_lfanew in the MS-DOS header
constexpr std::uint64_t kFileHeaderSize = 20;            // after the 4-byte "PE\0\0" signature
constexpr std::uint64_t kOptionalHeaderSizeOffset = 16;  // SizeOfOptionalHeader, within the file header
constexpr std::uint64_t kChecksumOffset = 64;            // CheckSum, within the optional header
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint64_t kDirectoryEntrySize = 8;
constexpr std::uint64_t kCertificateDirectoryIndex = 4;

// Where NumberOfRvaAndSizes and the data directory sit in the optional header: PE32+ drops BaseOfData
// and widens five fields to 8 bytes, which moves both 16 bytes further.
struct OptionalHeaderShape {
  std::uint64_t directoryCountOffset;
  std::uint64_t directoryOffset;
};

class HeaderReader {
 public:
  explicit HeaderReader(std::string_view bytes) : bytes_(bytes) {}

  bool Holds(std::uint64_t offset, std::uint64_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }

  /// The little-endian number of count bytes at offset; nullopt past the end.
  std::optional<std::uint32_t> TryNumber(std::uint64_t offset, std::uint64_t count) const {
    if (!Holds(offset, count)) return std::nullopt;
    std::uint32_t value = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
      value |= std::uint32_t{static_cast<unsigned char>(bytes_[offset + i])} << (8 * i);
    }
    return value;
  }

  bool TextAt(std::uint64_t offset, std::string_view text) const {
    return Holds(offset, text.size()) && bytes_.substr(offset, text.size()) == text;
  }

 private:
  std::string_view bytes_;
};

std::optional<OptionalHeaderShape> TryShapeOf(std::uint32_t magic) {
  if (magic == kPe32Magic) return OptionalHeaderShape{92, 96};
  if (magic == kPe32PlusMagic) return OptionalHeaderShape{108, 112};
  return std::nullopt;
}

}  // namespace

std::optional<SigningLayout> TryFindSigningLayout(std::string_view image) {
  const HeaderReader reader(image);
  if (!reader.TextAt(0, "MZ")) return std::nullopt;
  const auto peHeader = reader.TryNumber(kNewHeaderPointerOffset, 4);
  if (!peHeader || !reader.TextAt(*peHeader, std::string_view("PE\0\0", 4))) return std::nullopt;

  const std::uint64_t optionalHeader = std::uint64_t{*peHeader} + 4 + kFileHeaderSize;
  const auto optionalHeaderSize = reader.TryNumber(*peHeader + 4 + kOptionalHeaderSizeOffset, 2);
  if (!optionalHeaderSize || !reader.Holds(optionalHeader, *optionalHeaderSize)) return std::nullopt;
  const auto shape = TryShapeOf(reader.TryNumber(optionalHeader, 2).value_or(0));
  if (!shape) return std::nullopt;

  // The certificate entry must exist both by count and within the declared optional header.
  const std::uint64_t certificateEntry = shape->directoryOffset + kCertificateDirectoryIndex * kDirectoryEntrySize;
  const auto directoryCount = reader.TryNumber(optionalHeader + shape->directoryCountOffset, 4);
  if (!directoryCount || *directoryCount <= kCertificateDirectoryIndex ||
      certificateEntry + kDirectoryEntrySize > *optionalHeaderSize) {
    return std::nullopt;
  }

  // Both fields lie within the optional header, which the file holds: the reads below cannot fail.
  SigningLayout layout;
  layout.checksumOffset = static_cast<std::size_t>(optionalHeader + kChecksumOffset);
  layout.certificateEntryOffset = static_cast<std::size_t>(optionalHeader + certificateEntry);
  const std::uint32_t tableOffset = *reader.TryNumber(layout.certificateEntryOffset, 4);
  const std::uint32_t tableSize = *reader.TryNumber(layout.certificateEntryOffset + 4, 4);
  if (tableOffset == 0 && tableSize == 0) {
    layout.signedContentEnd = image.size();
    return layout;
  }
  // A signed file: its certificate table is the file's last bytes.
  if (tableOffset == 0 || tableSize == 0 || std::uint64_t{tableOffset} + tableSize != image.size()) {
    return std::nullopt;
  }
  layout.signedContentEnd = tableOffset;
  return layout;
}

}  // namespace velora
