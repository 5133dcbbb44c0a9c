#pragma once
// The machine's and the user's policy keys of a test, each a scratch key of its own; the policies in
// force are none again when the object goes.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "platform/handles.h"
#include "settings/policies.h"
#include "support/test_support.h"

namespace testing_support {

struct PolicyKeys {
  PolicyKeys() {
    for (auto [name, key] : {std::pair{L"\\machine", &machine}, std::pair{L"\\user", &user}}) {
      RegCreateKeyExW(HKEY_CURRENT_USER, (scratch.Subkey() + name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key->out(), nullptr);
    }
  }
  ~PolicyKeys() { settings::ReadPoliciesInForce({machine.get(), user.get(), L"None"}); }
  PolicyKeys(const PolicyKeys&) = delete;
  PolicyKeys& operator=(const PolicyKeys&) = delete;

  settings::PolicyPlace Place() const { return {machine.get(), user.get(), L"Policies"}; }
  // Reads them into force, as the program does at start.
  const settings::Policies& PutInForce() const { return settings::ReadPoliciesInForce(Place()); }
  static void Set(const platform::RegKey& root, const std::wstring& name, DWORD number,
                  const std::wstring& subkey = L"Policies") {
    SetNumber(root.get(), subkey, name, number);
  }
  static void Set(const platform::RegKey& root, std::initializer_list<std::pair<const wchar_t*, DWORD>> numbers) {
    for (const auto& [name, number] : numbers) Set(root, name, number);
  }
  // A number under `subkey` of `root`, the key made when missing.
  static void SetNumber(HKEY root, const std::wstring& subkey, const std::wstring& name, DWORD number) {
    platform::RegKey key;
    RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.out(), nullptr);
    RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  }

  TempRegistryKey scratch;
  platform::RegKey machine, user;
};

// HKEY_LOCAL_MACHINE\Software\Policies\Trellwipe, where Group Policy writes; removed afterwards, with
// the policies in force read again (none).
struct MachinePolicyKey {
  MachinePolicyKey() {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, settings::kPolicyKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(),
                    nullptr);
  }
  ~MachinePolicyKey() {
    key.reset();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, settings::kPolicyKey);
    settings::ReadPoliciesInForce();
  }
  MachinePolicyKey(const MachinePolicyKey&) = delete;
  MachinePolicyKey& operator=(const MachinePolicyKey&) = delete;

  platform::RegKey key;
};

}  // namespace testing_support
