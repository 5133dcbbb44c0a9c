#pragma once
// What the windows say about the product itself.

namespace ui {

// The product's web page: the main window's link label, "Our Website", the tray menu and the about window.
inline constexpr wchar_t kProductWebPage[] = L"https://trellwipe.org/";

}  // namespace ui
