// Version readers per product file kind, the comparison of dotted program versions, and the name of the
// temporary copy written beside a file before it replaces it.
#pragma once

#include <cstdint>
#include <string>

namespace velora {

class Session;

std::int32_t ReadPakVersion(Session& session, const std::string& path);  ///< 2 bytes at offset 6
std::int32_t ReadCokVersion(Session& session, const std::string& path);  ///< 2 bytes at offset 5
std::int32_t Read3bsVersion(Session& session, const std::string& path);  ///< 1 byte at offset 6
/// The "langver" value line; 0 after the fixed-text box when it cannot be read or is no integer.
std::int32_t ReadLngVersion(Session& session, const std::string& path);
/// The "FileVersion" text of the first translation of the version resource; empty when there is none.
std::string ReadExeFileVersion(Session& session, const std::string& path);

/// True when the installed a.b.c.d version is greater than the new one.
bool IsOlderVersion(std::string newVersion, std::string installedVersion);
/// "~" in front of the file name: C:\P\vlfw.3bs gives C:\P\~vlfw.3bs.
std::string MakeTempName(const std::string& path);

}  // namespace velora
