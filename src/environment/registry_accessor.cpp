#include "environment/registry_accessor.h"

#include "environment/failure.h"
#include "platform/win_constants.h"

namespace velora {

bool RegistryAccessor::OpenKey(const std::string& path, bool create) {
  CloseKey();
  auto opened = create ? api_->CreateKey(root_, path, access_) : api_->OpenKey(root_, path, access_);
  lastOpenError_ = opened.error;
  if (!opened.ok()) return false;
  key_ = std::move(opened.value);
  return key_ != nullptr;
}

bool RegistryAccessor::ValueExists(const std::string& name) {
  return key_ != nullptr && key_->QueryValue(name).ok();
}

std::string RegistryAccessor::ReadString(const std::string& name) {
  if (key_ == nullptr) throw Failure("no registry key is open");
  auto value = key_->QueryValue(name);
  if (!value.ok()) throw Failure("cannot read registry value " + name, value.error);
  if (value.value.type != win::kRegSz && value.value.type != win::kRegExpandSz) {
    throw Failure("registry value " + name + " is not a string");
  }
  // The stored bytes need not end in a zero; the text ends at the first one there is.
  const std::string& data = value.value.data;
  return data.substr(0, data.find('\0'));
}

void RegistryAccessor::WriteInteger(const std::string& name, std::uint32_t value) {
  if (key_ == nullptr) throw Failure("no registry key is open");
  if (auto error = key_->SetDwordValue(name, value); error != win::kErrorSuccess) {
    throw Failure("cannot write registry value " + name, error);
  }
}

}  // namespace velora
