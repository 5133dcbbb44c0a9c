#include <shlwapi.h>

#include <algorithm>

#include "engine/allerase.h"
#include "engine/kept_data.h"
#include "engine/regfun.h"
#include "engine/registry_guard.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine::allerase {

namespace {

// An empty subkey names the root itself: a failed lookup must never delete a whole hive.
bool Deletable(HKEY root, const std::wstring& subkey) {
  return root != nullptr && !platform::Trim(subkey).empty() && subkey.find_first_not_of(L'\\') != std::wstring::npos;
}

std::wstring FullPath(HKEY root, const std::wstring& subkey) { return engine::regfun::RootName(root) + L"\\" + subkey; }

// A root or a branch of every program's settings is never deleted; the details name it.
bool Refused(const EraseContext& erase, HKEY root, const std::wstring& subkey) {
  if (!engine::IsProtectedRegistryKey(root, subkey)) return false;
  erase.Refused(FullPath(root, subkey), platform::Tr(engine::kProtectedKeyReason));
  return true;
}

const wchar_t* RefusalReason(LONG status) {
  return status == ERROR_ACCESS_DENIED ? platform::Tr(L"access denied") : platform::Tr(L"refused");
}

// Present, also when it cannot be read: only a missing key opens as not found.
bool KeyPresent(HKEY root, const std::wstring& subkey) {
  platform::RegKey key;
  return RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_FILE_NOT_FOUND;
}

enum class KeyState { Missing, Unreadable, Leaf, WithSubkeys };

KeyState StateOf(HKEY root, const std::wstring& subkey) {
  platform::RegKey key;
  LONG status = RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out());
  if (status == ERROR_FILE_NOT_FOUND) return KeyState::Missing;
  if (status != ERROR_SUCCESS) return KeyState::Unreadable;
  DWORD subkeys = 0;
  RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  return subkeys == 0 ? KeyState::Leaf : KeyState::WithSubkeys;
}

struct TreeKey {
  std::wstring subkey;
  bool readable;
};

struct TreeEntries {
  std::vector<TreeKey> keys;
  std::vector<std::pair<std::wstring, std::wstring>> values;  // subkey, value name
};

// Every key and value of a tree, the key itself first; a key that cannot be read is listed without
// anything below it. Empty when the key does not exist. The keys still to open are kept on a list,
// not on the call stack, so no depth of tree can exhaust it. The window works on meanwhile; a stop
// ends the listing early.
void ListTree(const EraseContext& erase, HKEY root, const std::wstring& top, TreeEntries& entries) {
  std::vector<wchar_t> name(16384);
  std::vector<std::wstring> pending{top};
  while (!pending.empty() && !erase.Stopped()) {
    erase.Pump();
    std::wstring subkey = std::move(pending.back());
    pending.pop_back();
    platform::RegKey key;
    LONG status = RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out());
    if (status != ERROR_SUCCESS) {
      if (status != ERROR_FILE_NOT_FOUND) entries.keys.push_back({subkey, false});
      continue;
    }
    entries.keys.push_back({subkey, true});
    for (DWORD i = 0;; ++i) {
      DWORD length = static_cast<DWORD>(name.size());
      if (RegEnumValueW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        break;
      }
      entries.values.emplace_back(subkey, std::wstring(name.data(), length));
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
      DWORD length = static_cast<DWORD>(name.size());
      if (RegEnumKeyExW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        break;
      }
      children.push_back(subkey + L"\\" + std::wstring(name.data(), length));
    }
    for (auto child = children.rbegin(); child != children.rend(); ++child) pending.push_back(std::move(*child));
  }
}

// What a preview can tell: the readable keys and their values would go; a key it could not read is
// named as such.
void RecordPreview(const EraseContext& erase, HKEY root, const TreeEntries& entries) {
  for (const TreeKey& key : entries.keys) {
    key.readable ? erase.Key(FullPath(root, key.subkey))
                 : erase.LeftBehind(FullPath(root, key.subkey), platform::Tr(L"access denied"));
  }
  for (const auto& [key, name] : entries.values) erase.Value(FullPath(root, key), name);
}

// ERROR_SUCCESS when the value exists, ERROR_ACCESS_DENIED when its key cannot be read.
LONG ValueStatus(HKEY root, const std::wstring& subkey, const std::wstring& valueName) {
  return RegGetValueW(root, subkey.c_str(), valueName.empty() ? nullptr : valueName.c_str(), RRF_RT_ANY, nullptr,
                      nullptr, nullptr);
}

// After a deletion that failed part of the way: what is gone is recorded as erased, and each key that
// stayed with the reason, "not empty" for one that still holds a key that stayed.
void RecordOutcome(const EraseContext& erase, HKEY root, const TreeEntries& entries, LONG status) {
  std::vector<std::wstring> stayed;
  for (const TreeKey& key : entries.keys) {
    if (KeyPresent(root, key.subkey)) stayed.push_back(key.subkey);
  }
  auto holdsStayed = [&](const std::wstring& subkey) {
    for (const std::wstring& other : stayed) {
      if (other.size() > subkey.size() && other.compare(0, subkey.size(), subkey) == 0 &&
          other[subkey.size()] == L'\\') {
        return true;
      }
    }
    return false;
  };
  for (const TreeKey& key : entries.keys) {
    std::wstring path = FullPath(root, key.subkey);
    if (std::find(stayed.begin(), stayed.end(), key.subkey) == stayed.end()) {
      erase.Key(path);
    } else if (!key.readable) {
      erase.LeftBehind(path, platform::Tr(L"access denied"));
    } else {
      erase.LeftBehind(path, holdsStayed(key.subkey) ? platform::Tr(L"not empty") : RefusalReason(status));
    }
  }
  // The values go with their key.
  for (const auto& [key, name] : entries.values) {
    if (std::find(stayed.begin(), stayed.end(), key) == stayed.end()) erase.Value(FullPath(root, key), name);
  }
}

// A key or value inside a key that holds what a user keeps stays, and the details say why. True when
// it was refused.
bool RefusedAsKept(const EraseContext& erase, HKEY root, const std::wstring& subkey, const std::wstring& path) {
  const engine::KeptEntry* kept = engine::KeptKeyHolding(root, subkey);
  if (!engine::Refuses(kept, erase.keptAllowed)) return false;
  if (KeyPresent(root, subkey)) erase.Refused(path, engine::KeptRefusal(*kept));
  return true;
}

}  // namespace

// A stopped run reaches no further key: nothing is deleted or counted.
double DeleteRegistryKey(const EraseContext& erase, HKEY root, const std::wstring& subkey) {
  if (erase.Stopped()) return 0;
  if (!Deletable(root, subkey)) return kKeyCount;
  if (Refused(erase, root, subkey) || RefusedAsKept(erase, root, subkey, FullPath(root, subkey))) return 0;
  // A key with subkeys is not a target: it stays by design, not by refusal.
  KeyState before = StateOf(root, subkey);
  std::wstring path = FullPath(root, subkey);
  if (erase.Previewing()) {
    if (before == KeyState::Leaf) erase.Key(path);
    if (before == KeyState::Unreadable) erase.LeftBehind(path, platform::Tr(L"access denied"));
    return kKeyCount;
  }
  // Creating a missing key to delete it would leave behind the missing keys above it.
  if (before == KeyState::Missing) return kKeyCount;
  platform::RegKey held;
  RegCreateKeyExW(root, (subkey + L"\\").c_str(), 0, nullptr, 0, KEY_READ, nullptr, held.out(), nullptr);
  LONG status = RegDeleteKeyW(root, subkey.c_str());
  if (before == KeyState::Leaf || before == KeyState::Unreadable) {
    status == ERROR_SUCCESS ? erase.Key(path) : erase.LeftBehind(path, RefusalReason(status));
  }
  return kKeyCount;
}

double DeleteRegistryTree(const EraseContext& erase, HKEY root, const std::wstring& subkey) {
  if (erase.Stopped()) return 0;
  if (!Deletable(root, subkey)) return kTreeCount;
  if (Refused(erase, root, subkey)) return 0;
  if (RefusedAsKept(erase, root, subkey, FullPath(root, subkey))) return 0;
  const engine::KeptEntry* kept = engine::KeptKeyWithin(root, subkey);
  if (engine::Refuses(kept, erase.keptAllowed)) {
    // Through another user's view of the hive (HKEY_USERS\<SID>) the whole tree stays.
    if (root != HKEY_CURRENT_USER) {
      erase.Refused(FullPath(root, subkey), engine::KeptRefusal(*kept));
      return 0;
    }
    // The tree goes around the kept key, which stays with the keys that hold it.
    double figure = DeleteRegistryTreeExcept(erase, root, subkey, {kept->name});
    if (KeyPresent(root, kept->name)) erase.Refused(engine::KeptKeyPath(*kept), engine::KeptRefusal(*kept));
    return figure;
  }
  TreeEntries entries;
  if (erase.recorder) ListTree(erase, root, subkey, entries);
  if (erase.Stopped()) return 0;
  if (erase.Previewing()) {
    RecordPreview(erase, root, entries);
    return kTreeCount;
  }
  LONG status = SHDeleteKeyW(root, subkey.c_str());
  if (entries.keys.empty()) return kTreeCount;
  if (status == ERROR_SUCCESS) {
    for (const TreeKey& key : entries.keys) erase.Key(FullPath(root, key.subkey));
    for (const auto& [key, name] : entries.values) erase.Value(FullPath(root, key), name);
  } else {
    RecordOutcome(erase, root, entries, status);
  }
  return kTreeCount;
}

double DeleteRegistryTreeExcept(const EraseContext& erase, HKEY root, const std::wstring& subkey,
                                const std::vector<std::wstring>& kept) {
  auto within = [](const std::wstring& key, const std::wstring& folder) {
    return platform::EqualsNoCase(key, folder) || platform::IsBelow(key, folder);
  };
  std::vector<std::wstring> below;
  for (const std::wstring& key : kept) {
    if (within(subkey, key)) return 0;  // the whole key is kept
    if (within(key, subkey)) below.push_back(key);
  }
  if (below.empty()) return DeleteRegistryTree(erase, root, subkey);
  if (erase.Stopped() || !Deletable(root, subkey) || Refused(erase, root, subkey)) return 0;
  // A kept key lies below: the key's values go, and each subkey tree that holds no kept key.
  TreeEntries entries;
  ListTree(erase, root, subkey, entries);
  for (const auto& [key, name] : entries.values) {
    if (key == subkey) DeleteRegistryValue(erase, root, key, name);
  }
  for (const TreeKey& key : entries.keys) {
    size_t slash = key.subkey.find(L'\\', subkey.size() + 1);
    bool child = key.subkey.size() > subkey.size() && slash == std::wstring::npos;
    if (child) DeleteRegistryTreeExcept(erase, root, key.subkey, below);
  }
  return kTreeCount;
}

double DeleteRegistryValue(const EraseContext& erase, HKEY root, const std::wstring& subkey,
                           const std::wstring& valueName) {
  if (erase.Stopped()) return 0;
  if (root == nullptr) return kValueCount;
  if (RefusedAsKept(erase, root, subkey, FullPath(root, subkey) + L"\\" + valueName)) return 0;
  LONG before = ValueStatus(root, subkey, valueName);
  bool existed = before == ERROR_SUCCESS;
  bool unreadable = before == ERROR_ACCESS_DENIED;
  std::wstring path = FullPath(root, subkey);
  if (erase.Previewing()) {
    if (existed) erase.Value(path, valueName);
    if (unreadable) erase.LeftBehind(path + L"\\" + valueName, platform::Tr(L"access denied"));
    return kValueCount;
  }
  platform::RegKey key;
  LONG status = RegOpenKeyExW(root, subkey.c_str(), 0, KEY_SET_VALUE, key.out());
  if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.get(), valueName.empty() ? nullptr : valueName.c_str());
  // An unreadable key may still let the value go; only a deletion that went counts as erased.
  if (existed || (unreadable && status != ERROR_FILE_NOT_FOUND)) {
    status == ERROR_SUCCESS ? erase.Value(path, valueName)
                            : erase.LeftBehind(path + L"\\" + valueName, RefusalReason(status));
  }
  return kValueCount;
}

}  // namespace engine::allerase
