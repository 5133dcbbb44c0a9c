#include <shlwapi.h>

#include "engine/allerase.h"
#include "engine/regfun.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace allerase {

namespace {

// An empty subkey names the root itself: a failed lookup must never delete a whole hive.
bool Deletable(HKEY root, const std::wstring& subkey) {
  return root != nullptr && !platform::Trim(subkey).empty() && subkey.find_first_not_of(L'\\') != std::wstring::npos;
}

std::wstring FullPath(HKEY root, const std::wstring& subkey) { return regfun::RootName(root) + L"\\" + subkey; }

const wchar_t* RefusalReason(LONG status) {
  return status == ERROR_ACCESS_DENIED ? L"access denied" : L"refused";
}

struct OpenedKey {
  platform::RegKey key;
  DWORD subkeys = 0;
};

// The key opened for reading with the number of its subkeys, or nothing when it does not exist.
bool OpenExisting(HKEY root, const std::wstring& subkey, OpenedKey& opened) {
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, opened.key.out()) != ERROR_SUCCESS) return false;
  RegQueryInfoKeyW(opened.key.get(), nullptr, nullptr, nullptr, &opened.subkeys, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr);
  return true;
}

struct TreeEntries {
  std::vector<std::wstring> keys;
  std::vector<std::pair<std::wstring, std::wstring>> values;  // key path, value name
};

// Every key and value of a tree, the key itself first; empty when the key does not exist.
void ListTree(HKEY root, const std::wstring& subkey, TreeEntries& entries) {
  platform::RegKey key;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return;
  std::wstring path = FullPath(root, subkey);
  entries.keys.push_back(path);
  wchar_t name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(std::size(name));
    if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    entries.values.emplace_back(path, std::wstring(name, length));
  }
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(std::size(name));
    if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, length);
  }
  for (const std::wstring& child : children) ListTree(root, subkey + L"\\" + child, entries);
}

void RecordTree(const EraseContext& ctx, const TreeEntries& entries) {
  for (const std::wstring& key : entries.keys) ctx.Key(key);
  for (const auto& [key, name] : entries.values) ctx.Value(key, name);
}

bool ValueExists(HKEY root, const std::wstring& subkey, const std::wstring& valueName) {
  return RegGetValueW(root, subkey.c_str(), valueName.empty() ? nullptr : valueName.c_str(), RRF_RT_ANY, nullptr,
                      nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

double DeleteRegistryKey(const EraseContext& ctx, HKEY root, const std::wstring& subkey) {
  if (!Deletable(root, subkey)) return kKeyCount;
  OpenedKey before;
  bool existed = OpenExisting(root, subkey, before);
  before.key.reset();
  // A key with subkeys is not a target: it stays by design, not by refusal.
  bool target = existed && before.subkeys == 0;
  if (ctx.Previewing()) {
    if (target) ctx.Key(FullPath(root, subkey));
    return kKeyCount;
  }
  platform::RegKey held;
  RegCreateKeyExW(root, (subkey + L"\\").c_str(), 0, nullptr, 0, KEY_READ, nullptr, held.out(), nullptr);
  LONG status = RegDeleteKeyW(root, subkey.c_str());
  if (target) {
    status == ERROR_SUCCESS ? ctx.Key(FullPath(root, subkey)) : ctx.LeftBehind(FullPath(root, subkey), RefusalReason(status));
  }
  return kKeyCount;
}

double DeleteRegistryTree(const EraseContext& ctx, HKEY root, const std::wstring& subkey) {
  if (!Deletable(root, subkey)) return kTreeCount;
  TreeEntries entries;
  if (ctx.recorder) ListTree(root, subkey, entries);
  if (ctx.Previewing()) {
    RecordTree(ctx, entries);
    return kTreeCount;
  }
  LONG status = SHDeleteKeyW(root, subkey.c_str());
  if (entries.keys.empty()) return kTreeCount;
  if (status == ERROR_SUCCESS) {
    RecordTree(ctx, entries);
  } else {
    ctx.LeftBehind(entries.keys.front(), RefusalReason(status));
  }
  return kTreeCount;
}

double DeleteRegistryValue(const EraseContext& ctx, HKEY root, const std::wstring& subkey,
                           const std::wstring& valueName) {
  if (root == nullptr) return kValueCount;
  bool existed = ValueExists(root, subkey, valueName);
  if (ctx.Previewing()) {
    if (existed) ctx.Value(FullPath(root, subkey), valueName);
    return kValueCount;
  }
  platform::RegKey key;
  LONG status = RegOpenKeyExW(root, subkey.c_str(), 0, KEY_SET_VALUE, key.out());
  if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.get(), valueName.empty() ? nullptr : valueName.c_str());
  if (existed) {
    status == ERROR_SUCCESS ? ctx.Value(FullPath(root, subkey), valueName)
                            : ctx.LeftBehind(FullPath(root, subkey) + L"\\" + valueName, RefusalReason(status));
  }
  return kValueCount;
}

}  // namespace allerase
