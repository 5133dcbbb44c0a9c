#pragma once
// The names of the "Cleaning Settings" window's boxes and buttons that its code refers to, as the
// item table (item_flags.cpp) names its boxes: the window and its tests find them by these names.
namespace settings {

// Buttons.
constexpr wchar_t kOkButton[] = L"Command1";
constexpr wchar_t kCancelButton[] = L"Command3";
constexpr wchar_t kUrlKeepListButton[] = L"Command7";     // beside kAddressBarBox
constexpr wchar_t kCookieKeepListButton[] = L"Command8";  // beside kIeCookiesBox
constexpr wchar_t kAddCustomButton[] = L"Command101";
constexpr wchar_t kRemoveCustomButton[] = L"Command102";
constexpr wchar_t kClearCustomButton[] = L"Command2";
// Item boxes.
constexpr wchar_t kAddressBarBox[] = L"Check1";    // "IE Address Bar History"
constexpr wchar_t kIeCookiesBox[] = L"Check4";     // "IE Cookies"
constexpr wchar_t kCustomItemsBox[] = L"Check52";  // "Custom Clean Items"

}  // namespace settings
