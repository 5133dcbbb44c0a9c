#pragma once
// Whole-state pictures for tests that must prove nothing changed: a folder tree with names, sizes,
// attributes, times and contents, and a registry tree with every value's type and data.
#include <windows.h>

#include <string>

namespace testing_support {

std::wstring FolderSnapshot(const std::wstring& folder);
std::wstring RegistrySnapshot(HKEY root, const std::wstring& subkey);

}  // namespace testing_support
