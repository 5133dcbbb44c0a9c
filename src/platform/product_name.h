#pragma once

namespace platform {

// The product's name as captions, the tray, a notification's title and the web requests give it.
inline constexpr wchar_t kProductName[] = L"Trellwipe";

}  // namespace platform
