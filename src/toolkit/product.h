#pragma once
// What the windows say about the product itself; the version comes from the build's project version.
#include "toolkit/version.h"

namespace toolkit {

// "V6.50": the version as the caption, the start-up window and the about window show it.
inline constexpr wchar_t kVersionText[] = L"V" TRELLWIPE_VERSION_TEXT;
// "Trellwipe V6.50": the main window's caption.
inline constexpr wchar_t kMainCaption[] = L"Trellwipe V" TRELLWIPE_VERSION_TEXT;

// The product's web page: the main window's link label, "Our Website", the tray menu and the about window.
inline constexpr wchar_t kProductWebPage[] = L"https://trellwipe.org/";

}  // namespace toolkit
