#include "toolkit/skin.h"

#include <commctrl.h>

#include <memory>

#include "platform/handles.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "toolkit/dpi.h"
#include "toolkit/theme.h"

namespace toolkit {

namespace {

constexpr UINT_PTR kSkinSubclass = 0x534B;
// The window's current skin state, found again when the skin is applied a second time.
constexpr wchar_t kSkinProperty[] = L"Trellwipe.Skin";
constexpr DWORD kSkinFileLimit = 64 * 1024;
constexpr int kMinPoints = 6;
constexpr int kMaxPoints = 72;

// What one skinned window owns; freed when the window is destroyed.
struct SkinState {
  SkinState() = default;
  SkinState(const SkinState&) = delete;
  SkinState& operator=(const SkinState&) = delete;
  ~SkinState() {
    if (linkBackground && GetObjectType(linkBackground) == OBJ_BRUSH) DeleteObject(linkBackground);
  }

  // Wine's link control deletes the brush its parent gives it after each paint; a brush shared with
  // the other controls would be gone for them too. Links get a brush of their own, made again when
  // it is gone (a deleted handle never comes back with the same value).
  HBRUSH LinkBackground() {
    if (!linkBackground || GetObjectType(linkBackground) != OBJ_BRUSH) {
      linkBackground = CreateSolidBrush(*skin.background);
    }
    return linkBackground;
  }

  Skin skin;
  platform::Brush background;
  platform::Brush field;
  platform::Font font;
  HBRUSH linkBackground = nullptr;
};

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

std::optional<int> ParsePoints(std::wstring_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int points = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    points = points * 10 + (c - L'0');
  }
  if (points < kMinPoints || points > kMaxPoints) return std::nullopt;
  return points;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

bool IsGroupBox(HWND control) {
  return platform::EqualsNoCase(ClassName(control), L"Button") &&
         (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Text and background of static texts, buttons and the window itself.
LRESULT ColourPlainControl(SkinState& state, HDC dc, HWND control, LRESULT fallback) {
  if (state.skin.accent && IsGroupBox(control)) {
    SetTextColor(dc, *state.skin.accent);
  } else if (state.skin.text) {
    SetTextColor(dc, *state.skin.text);
  }
  if (!state.background) return fallback;
  SetBkColor(dc, *state.skin.background);
  if (platform::EqualsNoCase(ClassName(control), WC_LINK)) return reinterpret_cast<LRESULT>(state.LinkBackground());
  return reinterpret_cast<LRESULT>(state.background.get());
}

LRESULT ColourField(const SkinState& state, HDC dc, LRESULT fallback) {
  if (state.skin.text) SetTextColor(dc, *state.skin.text);
  if (!state.field) return fallback;
  SetBkColor(dc, *state.skin.field);
  return reinterpret_cast<LRESULT>(state.field.get());
}

LRESULT CALLBACK SkinProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  auto* state = reinterpret_cast<SkinState*>(data);
  switch (message) {
    case WM_ERASEBKGND:
      if (state->background) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, state->background.get());
        return 1;
      }
      break;
    case WM_CTLCOLORDLG:
      if (state->background) return reinterpret_cast<LRESULT>(state->background.get());
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // The window's own answer sets up the DC first; the skin then overrides what it defines.
      LRESULT fallback = DefSubclassProc(window, message, wParam, lParam);
      return ColourPlainControl(*state, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), fallback);
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      LRESULT fallback = DefSubclassProc(window, message, wParam, lParam);
      return ColourField(*state, reinterpret_cast<HDC>(wParam), fallback);
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, SkinProcedure, id);
      RemovePropW(window, kSkinProperty);
      delete state;
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

platform::Font MakeFont(HWND window, const Skin& skin) {
  if (skin.fontFace.empty() && skin.fontPoints == 0) return {};
  auto current = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  LOGFONTW font{};
  if (!GetObjectW(current ? current : GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font)) return {};
  if (!skin.fontFace.empty()) {
    font.lfFaceName[skin.fontFace.copy(font.lfFaceName, LF_FACESIZE - 1)] = L'\0';
  }
  if (skin.fontPoints) {
    // Points at the DPI of the monitor the window is on.
    font.lfHeight = -MulDiv(skin.fontPoints, static_cast<int>(WindowDpi(window)), 72);
    font.lfWidth = 0;
  }
  return platform::Font(CreateFontIndirectW(&font));
}

struct ChildSkin {
  const SkinState* state;
  HFONT font;
  bool sendFont;
};

// Common controls that draw their own colours take them through their own messages.
void SkinChild(HWND child, const ChildSkin& apply) {
  if (apply.sendFont) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(apply.font), TRUE);
  const Skin& skin = apply.state->skin;
  std::wstring name = ClassName(child);
  // A colour the skin leaves out is the control's own again, as after an earlier, darker skin.
  const std::optional<COLORREF> back = skin.field ? skin.field : skin.background;
  if (platform::EqualsNoCase(name, WC_LISTVIEWW)) {
    ListView_SetBkColor(child, back.value_or(GetSysColor(COLOR_WINDOW)));
    ListView_SetTextBkColor(child, back.value_or(GetSysColor(COLOR_WINDOW)));
    ListView_SetTextColor(child, skin.text.value_or(GetSysColor(COLOR_WINDOWTEXT)));
  } else if (platform::EqualsNoCase(name, PROGRESS_CLASSW)) {
    SendMessageW(child, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(skin.accent.value_or(CLR_DEFAULT)));
    SendMessageW(child, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(back.value_or(CLR_DEFAULT)));
  }
}

}  // namespace

std::wstring SkinFile(const std::wstring& programFolder) { return programFolder + L"\\skins\\frmmain.skn"; }

std::optional<COLORREF> ParseColour(std::wstring_view text) {
  if (text.size() != 7 || text[0] != L'#') return std::nullopt;
  int digits[6];
  for (size_t i = 0; i < 6; ++i) {
    digits[i] = HexDigit(text[i + 1]);
    if (digits[i] < 0) return std::nullopt;
  }
  return RGB(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]);
}

Skin ParseSkin(std::string_view content) {
  Skin skin;
  std::wstring text = platform::Widen(content);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = platform::Trim(std::wstring_view(text).substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') line = platform::Trim(line.substr(0, line.size() - 1));
    if (line.empty() || line[0] == L';' || line[0] == L'#' || line[0] == L'[') continue;
    size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) continue;
    std::wstring key = platform::ToLower(platform::Trim(line.substr(0, equals)));
    std::wstring value = platform::Trim(line.substr(equals + 1));
    if (key == L"background" || key == L"text" || key == L"accent" || key == L"field") {
      std::optional<COLORREF> colour = ParseColour(value);
      if (!colour) continue;
      if (key == L"background") skin.background = colour;
      if (key == L"text") skin.text = colour;
      if (key == L"accent") skin.accent = colour;
      if (key == L"field") skin.field = colour;
    } else if (key == L"font") {
      if (!value.empty() && value.size() < LF_FACESIZE) skin.fontFace = value;
    } else if (key == L"fontsize") {
      if (std::optional<int> points = ParsePoints(value)) skin.fontPoints = *points;
    }
  }
  return skin;
}

std::optional<Skin> LoadSkin(const std::wstring& file) {
  std::optional<std::string> content = platform::ReadFileBytes(file, kSkinFileLimit);
  if (!content) return std::nullopt;
  return ParseSkin(*content);
}

void ApplySkin(HWND window, const Skin& skin) {
  if (!IsWindow(window)) return;
  auto state = std::make_unique<SkinState>();
  state->skin = skin;
  if (skin.background) state->background.reset(CreateSolidBrush(*skin.background));
  if (skin.field) state->field.reset(CreateSolidBrush(*skin.field));
  state->font = MakeFont(window, skin);

  std::unique_ptr<SkinState> previous(static_cast<SkinState*>(GetPropW(window, kSkinProperty)));
  if (!SetPropW(window, kSkinProperty, state.get()) ||
      !SetWindowSubclass(window, SkinProcedure, kSkinSubclass, reinterpret_cast<DWORD_PTR>(state.get()))) {
    if (previous) {
      SetPropW(window, kSkinProperty, previous.release());
    } else {
      RemovePropW(window, kSkinProperty);
    }
    return;
  }
  SkinState* applied = state.release();

  // Children that still hold the earlier skin's font get the window's own font back before it goes.
  ChildSkin apply{applied, applied->font.get(), applied->font.valid()};
  if (!apply.sendFont && previous && previous->font) {
    apply.font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    apply.sendFont = true;
  }
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) {
        SkinChild(child, *reinterpret_cast<const ChildSkin*>(data));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&apply));
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ApplySkinFile(HWND window, const std::wstring& programFolder) {
  const Theme theme = ThemeInForce();
  ApplySkin(window, ThemedSkin(LoadSkin(SkinFile(programFolder)).value_or(Skin{}), theme));
  DressForTheme(window, theme);
}

}  // namespace toolkit
