#include "common/registry_win.h"

#include <utility>

namespace vorta {

namespace {

class ScopedKey {
 public:
  ScopedKey() = default;
  ~ScopedKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  HKEY get() const { return key_; }
  HKEY* receive() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool ReadRegistryValue(HKEY root, const char* subkey, const char* name, std::string* bytes) {
  ScopedKey key;
  if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) {
    return false;
  }
  BYTE buffer[kRegistryValueLimit];
  DWORD type = REG_NONE;
  DWORD size = sizeof buffer;
  // ERROR_MORE_DATA (a value past the bound) fails like any other error.
  if (RegQueryValueExA(key.get(), name, nullptr, &type, buffer, &size) != ERROR_SUCCESS ||
      size > sizeof buffer) {
    return false;
  }
  bytes->assign(reinterpret_cast<const char*>(buffer), size);
  return true;
}

bool ReadRegistryString(HKEY root, const char* subkey, const char* name, std::string* text) {
  std::string bytes;
  if (!ReadRegistryValue(root, subkey, name, &bytes)) return false;
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  *text = std::move(bytes);
  return true;
}

bool WriteRegistryBinary(HKEY root, const char* subkey, const char* name, std::string_view bytes) {
  if (bytes.size() > kRegistryValueLimit) return false;
  ScopedKey key;
  // Opening first needs no right to create keys when the key is already there.
  if (RegOpenKeyExA(root, subkey, 0, KEY_SET_VALUE, key.receive()) != ERROR_SUCCESS &&
      RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                      key.receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(key.get(), name, 0, REG_BINARY,
                        reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

}  // namespace vorta
