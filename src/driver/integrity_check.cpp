#include "driver/integrity_check.h"

#include "environment/session.h"

namespace velora {
namespace {

std::optional<std::string> ReadWholeFile(platform::FileApi& files, const std::string& path) {
  auto opened = files.Open(path, win::kGenericRead, win::kFileShareRead, win::kOpenExisting);
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

IntegrityResult CheckOwnIntegrity(Session& session) {
  auto ownPath = session.platform.system.ModuleFileName();
  if (!ownPath.ok()) return IntegrityResult::Unreadable;
  auto image = ReadWholeFile(session.platform.files, ownPath.value);
  if (!image) return IntegrityResult::Unreadable;
  if (image->size() < kStampSize) return IntegrityResult::Damaged;

  const std::string_view whole(*image);
  const std::string_view stamp = whole.substr(whole.size() - kStampSize);
  if (stamp.substr(0, kStampMarker.size()) != kStampMarker) return IntegrityResult::Damaged;
  auto digest = session.platform.system.Sha256Hex(whole.substr(0, whole.size() - kStampSize));
  if (!digest.ok()) return IntegrityResult::Unreadable;
  return digest.value == stamp.substr(kStampMarker.size()) ? IntegrityResult::Intact : IntegrityResult::Damaged;
}

}  // namespace velora
