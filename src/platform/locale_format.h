#pragma once
// Numbers, sizes and dates as a window shows them: in English exactly as the program always wrote
// them (platform/format.h), in every other language the user's way, as the regional settings of
// `locale` say (the user's own by default). Files the program stores keep platform/format.h's forms.
#include <windows.h>

#include <string>

namespace platform {

// A count or counter: 1234567 in English, "1.234.567" under German regional settings.
std::wstring ShownNumber(double value, const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);

// Bytes as megabytes with two decimals: "3.34" in English, "3,34" under German regional settings.
std::wstring ShownMegabytes(double bytes, const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);

// The short date, a blank and the time.
std::wstring ShownDateTime(const SYSTEMTIME& when, const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);

// The form of a count ("{count} files", from TrPlural) with the count shown: "1.234 Dateien".
std::wstring WithCount(const wchar_t* form, double count);

}  // namespace platform
