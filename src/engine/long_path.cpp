#include "engine/long_path.h"

#include <windows.h>

namespace engine {

namespace {

// CreateDirectoryW stops 12 characters short of MAX_PATH, to leave room for an 8.3 file name.
constexpr size_t kPlainLimit = MAX_PATH - 12;

// The extended form is taken literally, so a path the system would still have to normalise keeps
// its plain form.
bool Canonical(const std::wstring& path) {
  if (path.find(L'/') != std::wstring::npos) return false;
  for (const wchar_t* part : {L"\\.\\", L"\\..\\"}) {
    if (path.find(part) != std::wstring::npos) return false;
  }
  return !path.ends_with(L"\\.") && !path.ends_with(L"\\..");
}

}  // namespace

std::wstring ApiPath(const std::wstring& path) {
  if (path.size() < kPlainLimit || !Canonical(path)) return path;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.') {
    return L"\\\\?\\UNC\\" + path.substr(2);
  }
  return path;
}

}  // namespace engine
