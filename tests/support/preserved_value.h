#pragma once
// Keeps a registry value as it was: whatever a test does to it, the value (or its absence) is put
// back afterwards. Unlike ScopedRegistryValue it never creates the key.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace testing_support {

class PreservedValue {
 public:
  PreservedValue(HKEY root, std::wstring subkey, std::wstring name)
      : root_(root), subkey_(std::move(subkey)), name_(std::move(name)) {
    platform::RegKey key;
    if (RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type_, nullptr, &bytes) != ERROR_SUCCESS) return;
    data_.resize(bytes);
    had_ = RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type_, data_.data(), &bytes) == ERROR_SUCCESS;
  }
  ~PreservedValue() {
    platform::RegKey key;
    if (RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS) return;
    if (had_) {
      RegSetValueExW(key.get(), name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    } else {
      RegDeleteValueW(key.get(), name_.c_str());
    }
  }
  PreservedValue(const PreservedValue&) = delete;
  PreservedValue& operator=(const PreservedValue&) = delete;

  bool KeyExists() const {
    platform::RegKey key;
    return RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
  }
  void Set(const std::wstring& text) const {
    platform::RegKey key;
    if (RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS) return;
    RegSetValueExW(key.get(), name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void Remove() const {
    platform::RegKey key;
    if (RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS) return;
    RegDeleteValueW(key.get(), name_.c_str());
  }
  // The raw value: its type, its bytes and whether it exists.
  bool Read(DWORD& type, std::vector<BYTE>& data) const {
    platform::RegKey key;
    if (RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    data.resize(bytes);
    return RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type, data.data(), &bytes) == ERROR_SUCCESS;
  }
  bool Exists() const {
    DWORD type = 0;
    std::vector<BYTE> data;
    return Read(type, data);
  }
  // The text of a string value, without its terminating NUL; "<missing>" when there is none.
  std::wstring Text() const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!Read(type, data)) return L"<missing>";
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }

 private:
  HKEY root_;
  std::wstring subkey_, name_;
  bool had_ = false;
  DWORD type_ = REG_NONE;
  std::vector<BYTE> data_;
};

}  // namespace testing_support
