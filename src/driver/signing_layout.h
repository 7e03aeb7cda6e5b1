// Where a PE file keeps what Authenticode signing rewrites: the header checksum, the certificate-table
// entry of the data directory and the certificate table appended at the end. The integrity stamp's digest
// leaves these out, so a copy signed after the build still matches its stamp. Reads headers only, bounds-
// checked; it does not judge the rest of the image.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace velora {

struct SigningLayout {
  std::size_t checksumOffset = 0;          ///< the optional header's CheckSum, 4 bytes
  std::size_t certificateEntryOffset = 0;  ///< data directory entry 4 (address, size), 8 bytes
  std::size_t signedContentEnd = 0;        ///< where the certificate table starts, or the file's size
};

inline constexpr std::size_t kChecksumSize = 4;
inline constexpr std::size_t kCertificateEntrySize = 8;

/// The layout of a PE32 or PE32+ image; nullopt when its headers are cut short or garbled, or its
/// certificate entry does not describe a table that ends the file.
std::optional<SigningLayout> TryFindSigningLayout(std::string_view image);

}  // namespace velora
