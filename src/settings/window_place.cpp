#include "settings/window_place.h"

#include <array>
#include <cwchar>

#include "settings/inifun.h"

namespace settings {

namespace {

constexpr wchar_t kSection[] = L"Options";
constexpr wchar_t kKey[] = L"MainWindow";

}  // namespace

std::optional<WindowPlace> ParseWindowPlace(const std::wstring& text) {
  std::array<long, 5> numbers{};
  const wchar_t* at = text.c_str();
  for (size_t i = 0; i < numbers.size(); ++i) {
    wchar_t* end = nullptr;
    numbers[i] = std::wcstol(at, &end, 10);
    if (end == at || *end != (i + 1 < numbers.size() ? L',' : L'\0')) return std::nullopt;
    at = end + (*end ? 1 : 0);
  }
  WindowPlace place{{numbers[0], numbers[1], numbers[2], numbers[3]}, numbers[4] == 1};
  if (place.normal.right <= place.normal.left || place.normal.bottom <= place.normal.top) return std::nullopt;
  if (numbers[4] != 0 && numbers[4] != 1) return std::nullopt;
  return place;
}

std::wstring WindowPlaceText(const WindowPlace& place) {
  const RECT& r = place.normal;
  return std::to_wstring(r.left) + L',' + std::to_wstring(r.top) + L',' + std::to_wstring(r.right) + L',' +
         std::to_wstring(r.bottom) + L',' + (place.maximised ? L'1' : L'0');
}

std::optional<WindowPlace> LoadWindowPlace(const std::wstring& settingsFile) {
  return ParseWindowPlace(settings::inifun::ReadIniValue(settingsFile, kSection, kKey));
}

platform::Result<void> SaveWindowPlace(const std::wstring& settingsFile, const WindowPlace& place) {
  return settings::inifun::WriteIniValue(settingsFile, kSection, kKey, WindowPlaceText(place));
}

}  // namespace settings
