#include "platform/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>

#include "platform/text.h"

namespace platform {

std::wstring FormatNumber(double value) {
  if (value == 0 || !std::isfinite(value)) return L"0";
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%.15G", value);
  return buffer;
}

namespace {

std::wstring DecimalSeparator() {
  wchar_t sep[8] = L".";
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8) <= 0) return L".";
  return sep;
}

}  // namespace

std::wstring FormatPattern(double value, std::wstring_view pattern) {
  size_t dot = pattern.find(L'.');
  std::wstring_view whole = pattern.substr(0, dot);
  std::wstring_view fraction = dot == std::wstring_view::npos ? std::wstring_view{} : pattern.substr(dot + 1);
  size_t forcedWhole = 0, forcedFraction = 0;
  for (wchar_t c : whole) forcedWhole += c == L'0';
  for (wchar_t c : fraction) forcedFraction += c == L'0';

  wchar_t buffer[400];
  std::swprintf(buffer, 400, L"%.*f", static_cast<int>(fraction.size()), std::fabs(value));
  std::wstring digits = buffer;
  size_t point = digits.find(L'.');
  std::wstring intPart = digits.substr(0, point);
  std::wstring fracPart = point == std::wstring::npos ? L"" : digits.substr(point + 1);

  while (fracPart.size() > forcedFraction && fracPart.back() == L'0') fracPart.pop_back();
  if (intPart == L"0" && forcedWhole == 0) intPart.clear();
  while (intPart.size() < forcedWhole) intPart.insert(intPart.begin(), L'0');

  bool negative = value < 0 && (intPart.find_first_not_of(L'0') != std::wstring::npos ||
                                fracPart.find_first_not_of(L'0') != std::wstring::npos);
  std::wstring text = negative ? L"-" : L"";
  text += intPart;
  if (dot != std::wstring_view::npos) text += DecimalSeparator() + fracPart;
  return text;
}

std::optional<double> ParseNumber(std::wstring_view text) {
  std::wstring trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  // Only plain decimal notation: wcstod would also take "inf", "nan" and hexadecimal floats.
  for (wchar_t c : trimmed) {
    if (!std::iswdigit(c) && c != L'.' && c != L'+' && c != L'-' && c != L'e' && c != L'E') {
      return std::nullopt;
    }
  }
  wchar_t* end = nullptr;
  double value = std::wcstod(trimmed.c_str(), &end);
  if (end == trimmed.c_str() || *end != L'\0') return std::nullopt;
  return value;
}

double LeadingNumber(std::wstring_view text) {
  std::wstring trimmed = Trim(text);
  size_t n = 0;
  if (n < trimmed.size() && (trimmed[n] == L'+' || trimmed[n] == L'-')) ++n;
  size_t digitsStart = n;
  while (n < trimmed.size() && (std::iswdigit(trimmed[n]) || trimmed[n] == L'.')) ++n;
  if (n == digitsStart) return 0;
  if (n < trimmed.size() && (trimmed[n] == L'e' || trimmed[n] == L'E')) {
    size_t e = n + 1;
    if (e < trimmed.size() && (trimmed[e] == L'+' || trimmed[e] == L'-')) ++e;
    if (e < trimmed.size() && std::iswdigit(trimmed[e])) {
      n = e;
      while (n < trimmed.size() && std::iswdigit(trimmed[n])) ++n;
    }
  }
  std::wstring number = trimmed.substr(0, n);
  double value = std::wcstod(number.c_str(), nullptr);
  return std::isfinite(value) ? value : 0;
}

std::wstring GeneralDateTime(const SYSTEMTIME& when) {
  wchar_t date[128] = L"";
  wchar_t time[128] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, 128);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &when, nullptr, time, 128);
  return std::wstring(date) + L" " + time;
}

std::wstring Megabytes(double bytes, std::wstring_view pattern) { return FormatPattern(bytes / 1048576, pattern); }

std::wstring SizeText(double bytes) {
  constexpr double kKilobyte = 1024, kMegabyte = kKilobyte * 1024, kGigabyte = kMegabyte * 1024;
  if (bytes >= kGigabyte) return FormatPattern(bytes / kGigabyte, L"0.00") + L" GB";
  if (bytes >= kMegabyte) return FormatPattern(bytes / kMegabyte, L"0.00") + L" MB";
  double kilobytes = bytes > 0 ? std::max(1.0, std::round(bytes / kKilobyte)) : 0;
  return std::to_wstring(static_cast<long long>(kilobytes)) + L" KB";
}

std::wstring Counted(size_t count, const wchar_t* one, const wchar_t* many) {
  return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

}  // namespace platform
