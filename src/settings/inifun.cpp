#include "settings/inifun.h"

#include <windows.h>

#include "platform/format.h"
#include "platform/text.h"

namespace inifun {

using platform::Narrow;
using platform::Widen;

void WriteIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) {
  std::wstring stored = value.substr(0, kWriteLimit);
  WritePrivateProfileStringA(Narrow(section).c_str(), Narrow(key).c_str(), Narrow(stored).c_str(),
                             Narrow(file).c_str());
}

std::wstring ReadIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
  char buffer[kReadBuffer] = {};
  GetPrivateProfileStringA(Narrow(section).c_str(), Narrow(key).c_str(), "", buffer, kReadBuffer,
                           Narrow(file).c_str());
  return platform::Trim(Widen(buffer));
}

SectionLines ReadIniSection(const std::wstring& section, const std::wstring& file) {
  std::string buffer(kSectionBuffer, '\0');
  DWORD length = GetPrivateProfileSectionA(Narrow(section).c_str(), buffer.data(), kSectionBuffer,
                                           Narrow(file).c_str());
  buffer.resize(length < kSectionBuffer ? length : kSectionBuffer);
  std::vector<std::wstring> lines;
  size_t p = 0;
  while (p < buffer.size()) {
    size_t nul = buffer.find('\0', p);
    if (nul == std::string::npos) nul = buffer.size();
    if (nul == p) break;
    lines.push_back(Widen(std::string_view(buffer).substr(p, nul - p)));
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
