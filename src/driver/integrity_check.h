// Checks the updater's own file against the digest the build stamped onto its end, before anything is
// written: a damaged or truncated download must not install anything.
#pragma once

#include <string>
#include <string_view>

namespace velora {

class Session;

enum class IntegrityResult { Intact, Damaged, Unreadable };

/// The stamp the build appends: this marker, then the SHA-256 of every byte before it in hex.
inline constexpr std::string_view kStampMarker = "VLSTAMP1";
inline constexpr std::size_t kStampSize = 8 + 64;

/// Reads the program's own file and compares its stamp with the digest of the bytes before it.
IntegrityResult CheckOwnIntegrity(Session& session);

}  // namespace velora
