#include "engine/regfun.h"

#include <array>

#include "engine/normal.h"
#include "platform/handles.h"
#include "platform/table.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine::regfun {

namespace {

constexpr REGSAM kReadAccess = 0x20019;
constexpr REGSAM kWriteAccess = 0x20006;

// The short name is the one rule files may write; a root without one is not a rule's to name.
struct RootEntry {
  const wchar_t* name;
  const wchar_t* shortName;
  HKEY root;
};

const std::array<RootEntry, 7> kRoots = {{
    {L"HKEY_CLASSES_ROOT", L"HKCR", HKEY_CLASSES_ROOT},
    {L"HKEY_CURRENT_USER", L"HKCU", HKEY_CURRENT_USER},
    {L"HKEY_LOCAL_MACHINE", L"HKLM", HKEY_LOCAL_MACHINE},
    {L"HKEY_USERS", L"HKU", HKEY_USERS},
    {L"HKEY_PERFORMANCE_DATA", nullptr, HKEY_PERFORMANCE_DATA},
    {L"HKEY_CURRENT_CONFIG", L"HKCC", HKEY_CURRENT_CONFIG},
    {L"HKEY_DYN_DATA", nullptr, HKEY_DYN_DATA},
}};

// A string value as text, or nothing when it is missing, too long for the buffer, or of any type
// but REG_SZ and REG_EXPAND_SZ: a number, binary data or a list read as text would become a path
// made of garbage. A value stored without its terminating NUL, or with an odd number of bytes, is
// read up to its last whole character.
std::optional<RegistryText> QueryText(HKEY key, const std::wstring& valueName) {
  std::array<wchar_t, kValueBuffer + 1> buffer{};
  DWORD bytes = kValueBuffer * sizeof(wchar_t);
  DWORD type = REG_NONE;
  if (RegQueryValueExW(key, valueName.empty() ? nullptr : valueName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::wstring text = platform::CutAtNul(std::wstring_view(buffer.data(), bytes / sizeof(wchar_t)));
  if (text.size() >= kValueBuffer) return std::nullopt;
  return RegistryText{std::move(text), type};
}

}  // namespace

HKEY RootKeyFromName(const std::wstring& name) {
  const RootEntry* entry = platform::FindRow(kRoots, &RootEntry::name, name);
  return entry ? entry->root : nullptr;
}

HKEY RootKeyFromRuleName(std::wstring_view name) {
  for (const RootEntry& entry : kRoots) {
    if (entry.shortName &&
        (platform::EqualsNoCase(name, entry.shortName) || platform::EqualsNoCase(name, entry.name))) {
      return entry.root;
    }
  }
  return nullptr;
}

std::wstring RootName(HKEY root) {
  const RootEntry* entry = platform::FindRow(kRoots, &RootEntry::root, root);
  return entry ? entry->name : L"";
}

platform::Result<SplitPath> SplitRegistryPath(const std::wstring& path) {
  if (!path.starts_with(L"HKEY_") || path.back() == L'\\')
    return platform::Failure{platform::Fill(platform::Tr(L"Incorrect Format:\n\n{path}"), {{L"path", path}})};
  size_t slash = path.find(L'\\');
  return SplitPath{RootKeyFromName(path.substr(0, slash)),
                   slash == std::wstring::npos ? std::wstring() : path.substr(slash + 1)};
}

std::wstring ReadRegistryString(const std::wstring& path, const std::wstring& valueName) {
  platform::Result<SplitPath> split = SplitRegistryPath(path);
  if (!split || !split->root) return {};
  platform::RegKey key;
  if (RegOpenKeyExW(split->root, split->subkey.c_str(), 0, kReadAccess, key.out()) != ERROR_SUCCESS) return L"Error";
  std::optional<RegistryText> value = QueryText(key.get(), valueName);
  if (!value) return L"Error";
  // Leading blanks are lost; trailing ones belong to the value.
  size_t first = value->text.find_first_not_of(L' ');
  return first == std::wstring::npos ? std::wstring() : value->text.substr(first);
}

std::optional<RegistryText> ReadRegistryValueRaw(HKEY root, const std::wstring& subkey, const std::wstring& valueName) {
  platform::RegKey key;
  if (!root || RegOpenKeyExW(root, subkey.c_str(), 0, kReadAccess, key.out()) != ERROR_SUCCESS) return std::nullopt;
  return QueryText(key.get(), valueName);
}

void CreateRegistryKey(const std::wstring& path) {
  platform::Result<SplitPath> split = SplitRegistryPath(path);
  if (!split || !split->root) return;
  platform::RegKey key;
  RegCreateKeyExW(split->root, split->subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr);
}

void WriteRegistryString(const std::wstring& path, const std::wstring& valueName, const std::wstring& text) {
  platform::Result<SplitPath> split = SplitRegistryPath(path);
  if (!split || !split->root) return;
  platform::RegKey key;
  if (RegOpenKeyExW(split->root, split->subkey.c_str(), 0, kWriteAccess, key.out()) != ERROR_SUCCESS) return;
  // The terminating NUL is stored too, so readers that trust it never read past the value.
  RegSetValueExW(key.get(), valueName.empty() ? nullptr : valueName.c_str(), 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void CreateRegistryKey(const engine::EraseContext& erase, const std::wstring& path) {
  if (erase.Perform(platform::Fill(platform::Tr(L"Create key {key}"), {{L"key", path}}))) CreateRegistryKey(path);
}

void WriteRegistryString(const engine::EraseContext& erase, const std::wstring& path, const std::wstring& valueName,
                         const std::wstring& text) {
  if (erase.Perform(platform::Fill(platform::Tr(L"Write {value} = {text}"),
                                   {{L"value", path + L"\\" + valueName}, {L"text", text}})))
    WriteRegistryString(path, valueName, text);
}

std::wstring TrimAtNul(const std::wstring& text) { return platform::CutAtNul(text); }

std::wstring ResolveShellFolder(const std::wstring& valueName, const std::wstring& key) {
  std::wstring value = platform::Trim(TrimAtNul(ReadRegistryString(key, valueName)));
  return engine::normal::ExpandUserProfile(value);
}

}  // namespace engine::regfun
