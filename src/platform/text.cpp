#include "platform/text.h"

#include <windows.h>

namespace platform {

namespace {

// Both directions in a code page; `flags` MB_ERR_INVALID_CHARS makes invalid bytes fail the whole text.
std::optional<std::wstring> Decode(UINT codePage, DWORD flags, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), n);
  return wide;
}

std::string Encode(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), n, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::wstring Widen(std::string_view narrow) { return Decode(CP_ACP, 0, narrow).value_or(std::wstring()); }

std::string Narrow(std::wstring_view wide) { return Encode(CP_ACP, wide); }

bool FitsCodePage(std::wstring_view wide) { return Widen(Narrow(wide)) == wide; }

std::string ToUtf8(std::wstring_view wide) { return Encode(CP_UTF8, wide); }

std::optional<std::wstring> FromUtf8(std::string_view bytes) { return Decode(CP_UTF8, MB_ERR_INVALID_CHARS, bytes); }

Result<std::wstring> AsciiHostName(std::wstring_view name) {
  const int size = static_cast<int>(name.size());
  const int n = IdnToAscii(0, name.data(), size, nullptr, 0);
  if (n <= 0) return SystemFailure(GetLastError());
  std::wstring ascii(static_cast<size_t>(n), L'\0');
  if (IdnToAscii(0, name.data(), size, ascii.data(), n) != n) return SystemFailure(GetLastError());
  return ascii;
}

std::wstring Trim(std::wstring_view text) {
  const wchar_t* blanks = L" \t";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::wstring_view::npos) return {};
  size_t last = text.find_last_not_of(blanks);
  return std::wstring(text.substr(first, last - first + 1));
}

std::wstring ToLower(std::wstring_view text) {
  std::wstring lower(text);
  if (!lower.empty()) CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  return lower;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

bool IsBelow(std::wstring_view path, std::wstring_view folder) {
  return path.size() > folder.size() && path[folder.size()] == L'\\' &&
         EqualsNoCase(path.substr(0, folder.size()), folder);
}

bool MatchesPattern(std::wstring_view name, std::wstring_view pattern) {
  return MatchesLoweredPattern(ToLower(name), ToLower(pattern));
}

bool HasWildcard(std::wstring_view pattern) { return pattern.find_first_of(L"*?") != std::wstring_view::npos; }

bool MatchesLoweredPattern(std::wstring_view name, std::wstring_view pattern) {
  if (pattern == L"*.*") pattern = L"*";
  // The classic two-pointer match: a star remembers where to try again.
  size_t n = 0, p = 0, star = std::wstring_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == L'?' || (pattern[p] != L'*' && pattern[p] == name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      mark = n;
    } else if (star != std::wstring_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

std::wstring CutAtNul(std::wstring_view text) { return std::wstring(text.substr(0, text.find(L'\0'))); }

std::wstring JoinPath(std::wstring_view folder, std::wstring_view part) {
  std::wstring joined(folder);
  while (!joined.empty() && joined.back() == L'\\') joined.pop_back();
  while (!part.empty() && part.front() == L'\\') part.remove_prefix(1);
  joined += L'\\';
  joined += part;
  return joined;
}

}  // namespace platform
