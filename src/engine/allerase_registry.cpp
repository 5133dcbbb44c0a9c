#include <shlwapi.h>

#include "engine/allerase.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace allerase {

namespace {

// An empty subkey names the root itself: a failed lookup must never delete a whole hive.
bool Deletable(HKEY root, const std::wstring& subkey) {
  return root != nullptr && !platform::Trim(subkey).empty() && subkey.find_first_not_of(L'\\') != std::wstring::npos;
}

}  // namespace

double DeleteRegistryKey(HKEY root, const std::wstring& subkey) {
  if (!Deletable(root, subkey)) return kKeyCount;
  platform::RegKey held;
  RegCreateKeyExW(root, (subkey + L"\\").c_str(), 0, nullptr, 0, KEY_READ, nullptr, held.out(), nullptr);
  RegDeleteKeyW(root, subkey.c_str());
  return kKeyCount;
}

double DeleteRegistryTree(HKEY root, const std::wstring& subkey) {
  if (Deletable(root, subkey)) SHDeleteKeyW(root, subkey.c_str());
  return kTreeCount;
}

double DeleteRegistryValue(HKEY root, const std::wstring& subkey, const std::wstring& valueName) {
  if (root == nullptr) return kValueCount;
  platform::RegKey key;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_SET_VALUE, key.out()) == ERROR_SUCCESS) {
    RegDeleteValueW(key.get(), valueName.empty() ? nullptr : valueName.c_str());
  }
  return kValueCount;
}

}  // namespace allerase
