#include "driver/driver_settings.h"

namespace velora {

DriverSettings MakeDriverSettings(std::string displayKey, std::string fileName, std::int32_t version) {
  const auto dot = fileName.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
  DriverSettings settings{.PayloadDisplayKey = std::move(displayKey),
                          .PayloadFileName = std::move(fileName),
                          .PayloadVersion = version,
                          .PayloadKind = extension,
                          .PayloadIs3bs = extension.find("3bs") != std::string::npos,
                          .PayloadVersionText = std::to_string(version)};
  settings.PayloadBaseName = settings.PayloadFileName.substr(0, dot == std::string::npos ? std::string::npos : dot);
  return settings;
}

}  // namespace velora
