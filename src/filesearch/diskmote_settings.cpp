#include "filesearch/diskmote_settings.h"

#include "platform/handles.h"
#include "platform/text.h"

namespace filesearch {

DiskmoteSettings::DiskmoteSettings(HKEY root, std::wstring baseKey) : root_(root), baseKey_(std::move(baseKey)) {}

std::wstring DiskmoteSettings::Get(const std::wstring& section, const std::wstring& key,
                                   const std::wstring& fallback) const {
  platform::RegKey hkey;
  if (RegOpenKeyExW(root_, platform::JoinPath(baseKey_, section).c_str(), 0, KEY_QUERY_VALUE, hkey.out()) !=
      ERROR_SUCCESS) {
    return fallback;
  }
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(hkey.get(), key.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return fallback;
  }
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(hkey.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
      ERROR_SUCCESS) {
    return fallback;
  }
  return platform::CutAtNul(value);
}

bool DiskmoteSettings::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) const {
  platform::RegKey hkey;
  if (RegCreateKeyExW(root_, platform::JoinPath(baseKey_, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      hkey.out(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExW(hkey.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace filesearch
