#include "platform/locale_format.h"

#include <cmath>
#include <cstdio>

#include "platform/format.h"
#include "platform/languages.h"
#include "platform/translation.h"

namespace platform {

namespace {

bool English() { return LanguageInUse() == kEnglish; }

// The number in the locale's digits, grouping and separators, with `decimals` places; the fixed
// form when the locale is unknown.
std::wstring LocaleNumber(double value, int decimals, const wchar_t* locale) {
  wchar_t plain[64];
  std::swprintf(plain, 64, L"%.*f", decimals, value);
  wchar_t separator[8] = L".", grouping[16] = L"3;0", thousands[8] = L",";
  GetLocaleInfoEx(locale, LOCALE_SDECIMAL, separator, 8);
  GetLocaleInfoEx(locale, LOCALE_STHOUSAND, thousands, 8);
  GetLocaleInfoEx(locale, LOCALE_SGROUPING, grouping, 16);
  DWORD negative = 1;
  GetLocaleInfoEx(locale, LOCALE_INEGNUMBER | LOCALE_RETURN_NUMBER, reinterpret_cast<wchar_t*>(&negative),
                  sizeof(negative) / sizeof(wchar_t));
  // "3;0" groups by three; "3;2;0" (India) is told apart only by its first two figures.
  const UINT first = grouping[0] - L'0';
  const UINT second = grouping[1] == L';' && grouping[2] >= L'1' && grouping[2] <= L'9' ? grouping[2] - L'0' : 0;
  NUMBERFMTW format{
      static_cast<UINT>(decimals), 1, second ? first * 10 + second : first, separator, thousands, negative};
  wchar_t shown[96];
  if (GetNumberFormatEx(locale, 0, plain, &format, shown, 96) <= 0) return FormatPattern(value, L"0.00");
  return shown;
}

}  // namespace

std::wstring ShownNumber(double value, const wchar_t* locale) {
  if (English() || !std::isfinite(value)) return FormatNumber(value);
  return LocaleNumber(value, value == std::floor(value) ? 0 : 2, locale);
}

std::wstring ShownMegabytes(double bytes, const wchar_t* locale) {
  if (English()) return Megabytes(bytes);
  return LocaleNumber(bytes / 1048576, 2, locale);
}

std::wstring ShownDateTime(const SYSTEMTIME& when, const wchar_t* locale) {
  if (English()) return GeneralDateTime(when);
  wchar_t date[128] = L"", time[128] = L"";
  GetDateFormatEx(locale, DATE_SHORTDATE, &when, nullptr, date, 128, nullptr);
  GetTimeFormatEx(locale, 0, &when, nullptr, time, 128);
  return std::wstring(date) + L" " + time;
}

std::wstring WithCount(const wchar_t* form, double count) { return Fill(form, {{L"count", ShownNumber(count)}}); }

}  // namespace platform
