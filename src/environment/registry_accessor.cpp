#include "environment/registry_accessor.h"

#include "platform/win_constants.h"

namespace velora {

platform::WinError RegistryAccessor::OpenKey(const std::string& path, bool create) {
  CloseKey();
  auto opened = create ? api_->CreateKey(root_, path, access_) : api_->OpenKey(root_, path, access_);
  if (!opened.ok()) return opened.error;
  key_ = std::move(opened.value);
  return key_ != nullptr ? win::kErrorSuccess : win::kErrorInvalidHandle;
}

bool RegistryAccessor::ValueExists(const std::string& name) { return key_ != nullptr && key_->QueryValue(name).ok(); }

platform::WinResult<std::string> RegistryAccessor::ReadString(const std::string& name) {
  if (key_ == nullptr) return platform::Failed<std::string>(win::kErrorInvalidHandle);
  auto value = key_->QueryValue(name);
  if (!value.ok()) return platform::Failed<std::string>(value.error);
  if (value.value.type != win::kRegSz && value.value.type != win::kRegExpandSz) {
    return platform::Failed<std::string>(win::kErrorUnsupportedType);
  }
  // The stored bytes need not end in a zero; the text ends at the first one there is.
  const std::string& data = value.value.data;
  return platform::Succeeded(data.substr(0, data.find('\0')));
}

platform::WinError RegistryAccessor::WriteInteger(const std::string& name, std::uint32_t value) {
  if (key_ == nullptr) return win::kErrorInvalidHandle;
  return key_->SetDwordValue(name, value);
}

}  // namespace velora
