#include "driver/integrity_check.h"

#include "driver/run_log.h"
#include "driver/signing_layout.h"
#include "language/language_boxes.h"
#include "language/lookups.h"

namespace velora {
namespace {

std::optional<std::string> TryReadOwnFile(platform::FileApi& files) {
  auto opened = files.OpenOwnModule();
  if (!opened.ok()) return std::nullopt;
  std::string bytes;
  constexpr std::size_t kChunk = 1 << 20;
  for (;;) {
    auto chunk = opened.value->Read(kChunk);
    if (!chunk.ok()) return std::nullopt;
    if (chunk.value.empty()) return bytes;
    bytes += chunk.value;
  }
}

}  // namespace

IntegrityResult CheckOwnIntegrity(platform::Platform& platform) {
  auto image = TryReadOwnFile(platform.files);
  if (!image) return IntegrityResult::Unreadable;
  const auto layout = TryFindSigningLayout(*image);
  // The stamp must lie wholly after the header fields that signing rewrites.
  if (!layout || layout->signedContentEnd < layout->certificateEntryOffset + kCertificateEntrySize + kStampSize) {
    return IntegrityResult::Damaged;
  }
  const std::size_t stampOffset = layout->signedContentEnd - kStampSize;
  const std::string stamp = image->substr(stampOffset, kStampSize);
  if (stamp.compare(0, kStampMarker.size(), kStampMarker) != 0) return IntegrityResult::Damaged;

  // Zero the rewritten fields in place rather than hashing pieces: the seam hashes one run of bytes.
  image->replace(layout->checksumOffset, kChecksumSize, kChecksumSize, '\0');
  image->replace(layout->certificateEntryOffset, kCertificateEntrySize, kCertificateEntrySize, '\0');
  auto digest = platform.ownModule.Sha256Hex(std::string_view(*image).substr(0, stampOffset));
  if (!digest.ok()) return IntegrityResult::Unreadable;
  return digest.value == stamp.substr(kStampMarker.size()) ? IntegrityResult::Intact : IntegrityResult::Damaged;
}

bool OwnFileIsIntact(const LanguageContext& language, RunLog& log) {
  switch (CheckOwnIntegrity(language.platform)) {
    case IntegrityResult::Intact:
      log.Write("this program's own file is intact");
      return true;
    case IntegrityResult::Damaged:
      log.Write("this program's own file is damaged");
      ShowLangError(language, GetLangLines(language, "badinstaller"));
      return false;
    case IntegrityResult::Unreadable:
      log.Write("this program's own file cannot be read");
      ShowLangError(language, GetLangLines(language, "verificationfail"));
      return false;
  }
  return false;
}

}  // namespace velora
