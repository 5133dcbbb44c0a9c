#pragma once
// Every number and date the program shows or stores as text is made here.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Shortest decimal text with up to 15 significant digits, no grouping, no decimal part for whole
// numbers: 33, 3500000, 0.25. Stored counters use it, so its decimal point is always ".".
std::wstring FormatNumber(double value);

// A fixed number pattern of the form [#|0]*.[#|0]*: "0" forces a digit, "#" shows one only when it
// is significant; "0.00" gives 3.34, "00.00" gives 00.25, "##.##" gives 3.25, 12. and .5.
// The decimal point is the user's decimal separator.
std::wstring FormatPattern(double value, std::wstring_view pattern);

// Bytes as megabytes (of 1048576 bytes) in the pattern: 3500000 gives "3.34".
std::wstring Megabytes(double bytes, std::wstring_view pattern = L"0.00");

// A size for people to read: whole kilobytes below a megabyte ("11 KB"; a few bytes are "1 KB"),
// then megabytes and gigabytes with two decimals ("3.57 MB", "2.10 GB"), all of 1024.
std::wstring SizeText(double bytes);

// "1 file", "2 files": the count and the word that goes with it.
std::wstring Counted(size_t count, const wchar_t* one, const wchar_t* many);

// The whole text, blanks around it aside, read as a number; nothing when it is not one.
std::optional<double> ParseNumber(std::wstring_view text);

// The number that leads the text, 0 when none does ("12abc" is 12, "abc" and "" are 0).
double LeadingNumber(std::wstring_view text);

// The system's general date-and-time form: the regional short date, a blank, the regional time.
std::wstring GeneralDateTime(const SYSTEMTIME& when);

}  // namespace platform
