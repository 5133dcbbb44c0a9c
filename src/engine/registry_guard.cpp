#include "engine/registry_guard.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"

namespace engine {

namespace {

// Below a root, or below a user's hive in HKEY_USERS, with "\" between parts.
constexpr const wchar_t* kBranches[] = {
    L"software",
    L"software\\classes",
    L"software\\microsoft",
    L"software\\microsoft\\windows",
    L"software\\microsoft\\windows\\currentversion",
    L"software\\policies",
    L"software\\wow6432node",
    L"software\\wow6432node\\classes",
    L"software\\wow6432node\\microsoft",
    L"software\\wow6432node\\microsoft\\windows",
    L"software\\wow6432node\\microsoft\\windows\\currentversion",
    L"software\\wow6432node\\policies",
    L"system",
    L"system\\currentcontrolset",
    L"system\\currentcontrolset\\control",
    L"system\\currentcontrolset\\services",
    L"control panel",
    L"environment",
};

std::vector<std::wstring> Parts(std::wstring_view subkey) {
  std::vector<std::wstring> parts;
  for (size_t start = 0; start <= subkey.size();) {
    size_t end = std::min(subkey.find(L'\\', start), subkey.size());
    std::wstring part = platform::Trim(subkey.substr(start, end - start));
    if (!part.empty()) parts.push_back(platform::ToLower(part));
    start = end + 1;
  }
  return parts;
}

}  // namespace

bool IsProtectedRegistryKey(HKEY root, std::wstring_view subkey) {
  const std::vector<std::wstring> parts = Parts(subkey);
  if (parts.empty()) return true;
  const bool hives = root == HKEY_LOCAL_MACHINE || root == HKEY_USERS;
  if (hives && parts.size() == 1) return true;
  // In HKEY_USERS the branches lie below each user's hive.
  const size_t from = root == HKEY_USERS ? 1 : 0;
  std::wstring branch;
  for (size_t i = from; i < parts.size(); ++i) branch += (i > from ? L"\\" : L"") + parts[i];
  return std::any_of(std::begin(kBranches), std::end(kBranches),
                     [&](const wchar_t* protectedBranch) { return branch == protectedBranch; });
}

}  // namespace engine
