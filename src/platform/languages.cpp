#include "platform/languages.h"

#include <windows.h>

#include <algorithm>
#include <list>
#include <memory>

#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace platform {

namespace {

bool InRange(wchar_t c, wchar_t first, wchar_t last) { return c >= first && c <= last; }

std::wstring& CodeInUse() {
  static std::wstring code = kEnglish;
  return code;
}

std::wstring FileOf(const std::wstring& programFolder, const std::wstring& code) {
  return JoinPath(JoinPath(programFolder, kLanguageFolder), code + L".po");
}

bool IsFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool IsLanguageCode(std::wstring_view code) {
  size_t letters = 0;
  while (letters < code.size() && InRange(code[letters], L'a', L'z')) ++letters;
  if (letters < 2 || letters > 3) return false;
  if (letters == code.size()) return true;
  std::wstring_view rest = code.substr(letters + 1);
  return code[letters] == L'_' && rest.size() >= 2 && rest.size() <= 4 &&
         std::all_of(rest.begin(), rest.end(), [](wchar_t c) {
           return InRange(c, L'a', L'z') || InRange(c, L'A', L'Z') || InRange(c, L'0', L'9');
         });
}

std::wstring WindowsLanguage() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
  if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) <= 0) {
    return kEnglish;
  }
  std::wstring code = name;
  std::replace(code.begin(), code.end(), L'-', L'_');
  return code;
}

std::vector<std::wstring> InstalledLanguages(const std::wstring& programFolder) {
  std::vector<std::wstring> codes;
  WIN32_FIND_DATAW found;
  FindHandle find(FindFirstFileW(FileOf(programFolder, L"*").c_str(), &found));
  if (!find) return codes;
  do {
    std::wstring name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() < 4) continue;
    std::wstring code = name.substr(0, name.size() - 3);
    if (EqualsNoCase(name.substr(code.size()), L".po") && IsLanguageCode(code)) codes.push_back(code);
  } while (FindNextFileW(find.get(), &found));
  std::sort(codes.begin(), codes.end());
  return codes;
}

std::wstring ServingLanguage(const std::wstring& programFolder, const std::wstring& code) {
  if (!IsLanguageCode(code) || code == kEnglish) return kEnglish;
  if (IsFile(FileOf(programFolder, code))) return code;
  std::wstring language = code.substr(0, code.find(L'_'));
  return language != code && language != kEnglish && IsFile(FileOf(programFolder, language)) ? language : kEnglish;
}

std::wstring LanguageName(const std::wstring& code) {
  std::wstring locale = code;
  std::replace(locale.begin(), locale.end(), L'_', L'-');
  wchar_t name[128] = L"";
  if (code == kEnglish) return L"English";
  return GetLocaleInfoEx(locale.c_str(), LOCALE_SNATIVEDISPLAYNAME, name, 128) > 0 ? name : code;
}

Result<void> UseLanguage(const std::wstring& programFolder, const std::wstring& code) {
  // Kept for the process's life: a text looked up in one stays valid after another is put in force.
  static std::list<std::unique_ptr<Catalogue>> catalogues;
  UseCatalogue(nullptr);
  CodeInUse() = kEnglish;
  const std::wstring serving = ServingLanguage(programFolder, code);
  if (serving == kEnglish) return {};
  Result<PoFile> file = ReadPoFile(FileOf(programFolder, serving));
  if (!file) return Failure{FileOf(programFolder, serving) + L": " + file.Reason()};
  catalogues.push_back(std::make_unique<Catalogue>(*file));
  UseCatalogue(catalogues.back().get());
  CodeInUse() = serving;
  return {};
}

std::wstring LanguageInUse() { return CodeInUse(); }

}  // namespace platform
