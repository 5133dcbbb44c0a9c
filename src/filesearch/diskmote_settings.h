#pragma once
// The search tool's own per-user settings: text values by section and key under the application
// name "Diskmote", kept in the current user's registry.
#include <windows.h>

#include <string>

namespace filesearch {

class DiskmoteSettings {
 public:
  static constexpr wchar_t kDefaultKey[] = L"Software\\Trellwipe\\Diskmote";

  // Tests pass a scratch key of their own.
  explicit DiskmoteSettings(HKEY root = HKEY_CURRENT_USER, std::wstring baseKey = kDefaultKey);

  // The stored text, or `fallback` when the value is absent or not text.
  std::wstring Get(const std::wstring& section, const std::wstring& key, const std::wstring& fallback = L"") const;
  bool Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;

 private:
  HKEY root_;
  std::wstring baseKey_;
};

}  // namespace filesearch
