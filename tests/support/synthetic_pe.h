// Small PE images for host tests of the integrity check: an MS-DOS header pointing at the PE signature,
// a file header, an optional header (PE32 or PE32+) with a 16-entry data directory, a body, and the
// integrity stamp made with the fake's digest; and what a signing tool does to such an image. The
// offsets are this layout's own fixed numbers, not read back from the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/integrity_check.h"
#include "support/fake_machine.h"

namespace velora::fakes {

enum class PeKind { Pe32, Pe32Plus };

inline constexpr std::size_t kPeHeaderOffset = 0x80;
inline constexpr std::size_t kOptionalHeaderOffset = kPeHeaderOffset + 24;
inline constexpr std::size_t kChecksumFieldOffset = kOptionalHeaderOffset + 64;

/// Offset of data directory entry 4 (certificate table): the directory starts 96 bytes into a PE32
/// optional header, 112 into a PE32+ one.
constexpr std::size_t CertificateEntryOffset(PeKind kind) {
  return kOptionalHeaderOffset + (kind == PeKind::Pe32 ? 96 : 112) + 4 * 8;
}
constexpr std::size_t DirectoryCountOffset(PeKind kind) {
  return kOptionalHeaderOffset + (kind == PeKind::Pe32 ? 92 : 108);
}
constexpr std::size_t OptionalHeaderSize(PeKind kind) { return (kind == PeKind::Pe32 ? 96 : 112) + 16 * 8; }

inline void PutNumber(std::string& image, std::size_t offset, std::uint32_t value, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) image[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

/// Headers and body, 8-byte aligned, with a nonzero header checksum as linkers may leave it.
inline std::string UnstampedPeImage(std::string_view body, PeKind kind = PeKind::Pe32) {
  std::string image(kOptionalHeaderOffset + OptionalHeaderSize(kind), '\0');
  image.replace(0, 2, "MZ");
  PutNumber(image, 0x3C, kPeHeaderOffset, 4);
  image.replace(kPeHeaderOffset, 4, std::string("PE\0\0", 4));
  PutNumber(image, kPeHeaderOffset + 4, 0x14C, 2);                          // Machine: i386
  PutNumber(image, kPeHeaderOffset + 4 + 16, OptionalHeaderSize(kind), 2);  // SizeOfOptionalHeader
  PutNumber(image, kOptionalHeaderOffset, kind == PeKind::Pe32 ? 0x10B : 0x20B, 2);
  PutNumber(image, kChecksumFieldOffset, 0x00C0FFEE, 4);
  PutNumber(image, DirectoryCountOffset(kind), 16, 4);
  image += body;
  image.resize((image.size() + 7) / 8 * 8, '\0');
  return image;
}

/// Appends the stamp to an unstamped image: the marker and the fake digest of every byte before it,
/// with the checksum and the certificate entry zeroed.
inline std::string Stamp(const std::string& image, PeKind kind = PeKind::Pe32) {
  std::string hashed = image;
  PutNumber(hashed, kChecksumFieldOffset, 0, 4);
  PutNumber(hashed, CertificateEntryOffset(kind), 0, 4);
  PutNumber(hashed, CertificateEntryOffset(kind) + 4, 0, 4);
  return image + std::string(kStampMarker) + FakeOwnModule::DigestOf(hashed);
}

inline std::string StampedPeImage(std::string_view body, PeKind kind = PeKind::Pe32) {
  return Stamp(UnstampedPeImage(body, kind), kind);
}

/// A WIN_CERTIFICATE: length, revision 0x0200, type 2 (PKCS#7), and a stand-in for the signature.
inline const std::string kSampleCertificateTable =
    std::string("\x18\x00\x00\x00\x00\x02\x02\x00", 8) + "signature blob..";

/// What a signing tool does to an 8-byte aligned image: a new checksum, and the certificate entry
/// pointing at the table it appends.
inline std::string SignedPeCopy(std::string image, PeKind kind = PeKind::Pe32,
                                const std::string& certificateTable = kSampleCertificateTable) {
  PutNumber(image, kChecksumFieldOffset, 0x0004D2A1, 4);
  PutNumber(image, CertificateEntryOffset(kind), static_cast<std::uint32_t>(image.size()), 4);
  PutNumber(image, CertificateEntryOffset(kind) + 4, static_cast<std::uint32_t>(certificateTable.size()), 4);
  return image + certificateTable;
}

}  // namespace velora::fakes
