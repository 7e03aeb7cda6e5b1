// Version readers per product file kind, the comparison of dotted program versions, and the name of the
// temporary copy written beside a file before it replaces it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace velora {

[[nodiscard]] std::int32_t ReadPakVersion(platform::FileApi& files, const std::string& path);  ///< 2 bytes at offset 6
[[nodiscard]] std::int32_t ReadCokVersion(platform::FileApi& files, const std::string& path);  ///< 2 bytes at offset 5
[[nodiscard]] std::int32_t Read3bsVersion(platform::FileApi& files, const std::string& path);  ///< 1 byte at offset 6
/// The same fields, read through a file already open with read access.
[[nodiscard]] std::int32_t ReadPakVersion(platform::OpenFile& file);
[[nodiscard]] std::int32_t ReadCokVersion(platform::OpenFile& file);
[[nodiscard]] std::int32_t Read3bsVersion(platform::OpenFile& file);
/// The bytes of an installed data file's head that InstalledVersionFromHead needs.
inline constexpr std::size_t kDataFileHeadSize = 6;
/// The version the update's pre-check takes from the head (the first bytes, up to kDataFileHeadSize)
/// of the installed data file: after the 4-byte tag a ".3bs" file has one byte more and then its version,
/// at offset 5, where the build also takes the embedded copy's version; any other kind has its version
/// at offset 4, less 32. A head too short for the byte reads as 0 (so -32 for other kinds). This is not
/// Read3bsVersion's byte (offset 6): that one is what the version-guarded installation of product files
/// compares, and the two have always been read apart.
[[nodiscard]] std::int32_t InstalledVersionFromHead(std::string_view head, bool is3bs);

/// How often, and how far apart, TryOpenAlone tries a file that another process holds.
inline constexpr int kOpenAloneTries = 17;
inline constexpr std::uint32_t kOpenAloneRetryMs = 256;
/// path opened for reading with no sharing at all, which succeeds only once no other process holds it:
/// up to kOpenAloneTries tries, each failed one followed by a pause of kOpenAloneRetryMs. tries: how many
/// were made. nullptr when every try failed.
[[nodiscard]] platform::OpenFilePtr TryOpenAlone(platform::Platform& platform, const std::string& path, int& tries);
/// The installed data file's version (InstalledVersionFromHead), read once no other process holds the
/// file; nullopt when it stayed held through every try.
[[nodiscard]] std::optional<std::int32_t> TryReadInstalledVersion(platform::Platform& platform, const std::string& path,
                                                                  bool is3bs);
/// The "langver" value line of the language file at path: 0 when there is no such file, nullopt when it
/// cannot be read or the value is no integer.
[[nodiscard]] std::optional<std::int32_t> TryReadLngVersion(platform::FileApi& files, const std::string& path);
/// The "langver" value line of a file already open with read access.
[[nodiscard]] std::optional<std::int32_t> TryReadLngVersion(platform::OpenFile& file);
/// The "FileVersion" text of the first translation of the version resource; empty when there is none.
[[nodiscard]] std::string ReadExeFileVersion(platform::ProgramFileApi& programFiles, const std::string& path);

/// True when the installed a.b.c.d version is greater than the new one.
[[nodiscard]] bool IsOlderVersion(std::string newVersion, std::string installedVersion);
/// "~" in front of the file name: C:\P\vlfw.3bs gives C:\P\~vlfw.3bs.
std::string MakeTempName(const std::string& path);

}  // namespace velora
