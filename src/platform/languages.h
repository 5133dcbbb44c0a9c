#pragma once
// Where the translations live and which one is in force: the program folder's "lang\<code>.po",
// with codes as gettext names them ("de", "pt_BR", "zh_CN"); English needs no file.
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace platform {

constexpr wchar_t kLanguageFolder[] = L"lang";
constexpr wchar_t kEnglish[] = L"en";

// Two or three small letters, then maybe "_" and a region or script of two to four letters or digits:
// nothing else can name a file, so a stored code cannot lead a read anywhere else.
bool IsLanguageCode(std::wstring_view code);

// Windows' display language for this user, as a code ("de_DE").
std::wstring WindowsLanguage();

// The codes of the translations in the program folder, sorted.
std::vector<std::wstring> InstalledLanguages(const std::wstring& programFolder);

// The installed code that serves `code`: itself, else its language without the region ("de" for
// "de_AT"); kEnglish when none does.
std::wstring ServingLanguage(const std::wstring& programFolder, const std::wstring& code);

// The language's own name for itself ("Deutsch"), or the code when Windows does not know it.
std::wstring LanguageName(const std::wstring& code);

// Puts the translation that serves `code` in force, or English for kEnglish and for a code no file
// serves; a failure, with English in force, for a file that cannot be read.
Result<void> UseLanguage(const std::wstring& programFolder, const std::wstring& code);
// The code whose translation is in force; kEnglish for none.
std::wstring LanguageInUse();

}  // namespace platform
