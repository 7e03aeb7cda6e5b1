// Checks the updater's own file against the digest the build stamped into it, before anything is written:
// a damaged or truncated download must not install anything. The check survives Authenticode signing
// after the build (signing_layout.h says what the digest leaves out).
#pragma once

#include <string>
#include <string_view>

#include "language/language_context.h"
#include "platform/platform.h"

namespace velora {

class RunLog;

enum class IntegrityResult { Intact, Damaged, Unreadable };

/// The stamp the build appends: this marker, then 64 lower-case hex digits of SHA-256 over every byte
/// before it with the header checksum and the certificate-table entry set to zero. It ends the signed
/// content: the file, or the bytes before the certificate table of a signed file.
inline constexpr std::string_view kStampMarker = "VLSTAMP2";
inline constexpr std::size_t kStampSize = 8 + 64;

/// Reads the program's own file and compares its stamp with the digest of the bytes it covers.
IntegrityResult CheckOwnIntegrity(platform::Platform& platform);

/// CheckOwnIntegrity, logged, and reported in the language file's words: "badinstaller" for a damaged
/// file, "verificationfail" for one that cannot be read. True when the file is intact.
bool OwnFileIsIntact(const LanguageContext& language, RunLog& log);

}  // namespace velora
