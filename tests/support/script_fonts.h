#pragma once
// The font a language's script is shown in. Windows in that language gives the interface fonts one
// that has its characters; a Wine prefix has none, so the fit test and the screenshots (through the
// driver) map the interface fonts to it while they show that language. The others see the prefix's
// own fonts.
#include <string>

namespace testing_support {

struct ScriptFont {
  const wchar_t* language;
  const wchar_t* font;
};
inline constexpr ScriptFont kScriptFonts[] = {{L"zh", L"WenQuanYi Micro Hei"}};
inline constexpr const wchar_t* kInterfaceFonts[] = {L"Tahoma", L"MS Shell Dlg", L"MS Shell Dlg 2"};
inline constexpr wchar_t kFontSubstitutes[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";

// The font that stands for the interface fonts in `language`, or nullptr where the prefix's own do.
inline const wchar_t* ScriptFontOf(const std::wstring& language) {
  for (const ScriptFont& script : kScriptFonts) {
    if (language.starts_with(script.language)) return script.font;
  }
  return nullptr;
}

}  // namespace testing_support
