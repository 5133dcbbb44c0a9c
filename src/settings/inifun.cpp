#include "settings/inifun.h"

#include <windows.h>

#include "platform/format.h"
#include "platform/text.h"

namespace inifun {

// The wide profile functions keep a file that is not Unicode in the system's 8-bit code page, and a
// file they create is such a file, so the settings stay 8-bit text while names of any language work
// in the file's path.
void WriteIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) {
  std::wstring stored = value.substr(0, kWriteLimit);
  WritePrivateProfileStringW(section.c_str(), key.c_str(), stored.c_str(), file.c_str());
}

std::wstring ReadIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
  wchar_t buffer[kReadBuffer] = {};
  GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, kReadBuffer, file.c_str());
  return platform::Trim(buffer);
}

SectionLines ReadIniSection(const std::wstring& section, const std::wstring& file) {
  std::wstring buffer(kSectionBuffer, L'\0');
  DWORD length = GetPrivateProfileSectionW(section.c_str(), buffer.data(), kSectionBuffer, file.c_str());
  buffer.resize(length < kSectionBuffer ? length : kSectionBuffer);
  std::vector<std::wstring> lines;
  size_t p = 0;
  while (p < buffer.size()) {
    size_t nul = buffer.find(L'\0', p);
    if (nul == std::wstring::npos) nul = buffer.size();
    if (nul == p) break;
    lines.push_back(buffer.substr(p, nul - p));
    p = nul + 1;
  }
  return SectionLines(std::move(lines));
}

std::wstring GetWindowsVersionText() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&info);
#pragma GCC diagnostic pop
  return std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion);
}

bool FlagTest(std::wstring_view stored) {
  auto number = platform::ParseNumber(stored);
  return number && *number == 1;
}

bool RunTest(std::wstring_view stored) { return stored == L"1"; }

}  // namespace inifun
