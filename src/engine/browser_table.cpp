#include "engine/browser_table.h"

namespace engine {

namespace {

// Where today's Chromium keeps its cookies and history in a profile; older ones kept the cookies in
// the profile itself.
constexpr auto kChromiumCookies = {L"Network\\Cookies", L"Cookies"};
constexpr wchar_t kChromiumHistory[] = L"History";
constexpr wchar_t kChromiumWindow[] = L"Chrome_WidgetWin_1";

// Of the browsers with a page on the Browsers tab, the order is the stored tab numbers'.
const Browser kBrowsers[] = {
    {L"Google Chrome", L"Chrome", true, L"Google Chrome", nullptr, L"History", {L"chrome.exe"},
     {L"Google\\Chrome\\Application"}, {L"Chrome"}, false, L"Google\\Chrome\\User Data", false, true,
     kChromiumCookies, kChromiumHistory, L"CleanOnCloseChrome", kChromiumWindow, false, {3029, L"Google Chrome"},
     {L"chrome", L"google chrome"}},
    {L"Microsoft Edge", L"Edge", true, L"Microsoft Edge", L"Microsoft Edge", L"History", {L"msedge.exe"},
     {L"Microsoft\\Edge\\Application"}, {}, false, L"Microsoft\\Edge\\User Data", false, true, kChromiumCookies,
     kChromiumHistory, L"CleanOnCloseEdge", kChromiumWindow, false, {3006, L"Microsoft Edge"},
     {L"edge", L"microsoft edge", L"msedge", L"ms edge"}},
    // Firefox's history shares places.sqlite with the bookmarks: its definition takes the form history.
    {L"Mozilla Firefox", L"Firefox", true, L"Firefox", nullptr, L"Form History", {L"firefox.exe"},
     {L"Mozilla Firefox"}, {L"FIREFOX"}, true, L"Mozilla\\Firefox\\Profiles", false, false, {L"cookies.sqlite"},
     L"places.sqlite", L"CleanOnCloseFirefox", L"MozillaWindowClass", false, {3026, L"Firefox"},
     {L"firefox", L"mozilla firefox", L"mozilla"}},
    {L"Brave", L"Brave", true, L"Brave", L"Brave", L"History", {L"brave.exe"},
     {L"BraveSoftware\\Brave-Browser\\Application"}, {}, false, L"BraveSoftware\\Brave-Browser\\User Data", false,
     true, kChromiumCookies, kChromiumHistory, L"CleanOnCloseBrave", kChromiumWindow, false, {3034, L"Brave"}, {}},
    {L"Vivaldi", L"Vivaldi", true, L"Vivaldi", L"Vivaldi", L"History", {L"vivaldi.exe"}, {L"Vivaldi\\Application"},
     {}, false, L"Vivaldi\\User Data", false, true, kChromiumCookies, kChromiumHistory, L"CleanOnCloseVivaldi",
     kChromiumWindow, false, {3033, L"Vivaldi"}, {}},
    // Opera runs from a folder of its version inside its install folder; its one profile lies in
    // the roaming data.
    {L"Opera", L"Opera", true, L"Opera", L"Opera (today's)", L"History", {L"opera.exe"},
     {L"Programs\\Opera", L"Opera"}, {L"OPERA"}, true, L"Opera Software\\Opera Stable", true, true,
     kChromiumCookies, kChromiumHistory, L"CleanOnCloseOpera", kChromiumWindow, false, {3027, L"Opera"},
     {L"opera", L"opera gx"}},
    {L"Opera GX", L"Opera GX", false, nullptr, nullptr, nullptr, {}, {}, {}, true, L"Opera Software\\Opera GX Stable",
     true, true, kChromiumCookies, kChromiumHistory, nullptr, nullptr, false, {0, nullptr}, {}},
    // Internet Explorer's frames are hidden whoever made them: Windows Explorer made them too.
    {L"Internet Explorer", L"Internet Explorer", false, nullptr, nullptr, nullptr, {L"iexplore.exe"},
     {L"Internet Explorer"}, {L"EXPLORER"}, false, nullptr, false, false, {}, nullptr, L"CleanOnCloseInternetExplorer",
     L"IEFrame", true, {3001, L"Internet Explorer"}, {L"internet explorer", L"ie", L"msie"}},
    {L"Mozilla", L"Mozilla", false, nullptr, nullptr, nullptr, {L"mozilla.exe", L"seamonkey.exe"},
     {L"mozilla.org", L"SeaMonkey"}, {L"Mozilla"}, false, nullptr, false, false, {}, nullptr, nullptr, nullptr, false,
     {0, nullptr}, {}},
    {L"Netscape Navigator", L"Netscape", false, nullptr, nullptr, nullptr, {L"netscape.exe", L"navigator.exe"},
     {L"Netscape"}, {L"NETSCAPE"}, false, nullptr, false, false, {}, nullptr, nullptr, nullptr, false, {0, nullptr},
     {}},
    {L"Safari", L"Safari", false, nullptr, nullptr, nullptr, {L"safari.exe"}, {L"Safari"}, {L"Safari"}, false,
     nullptr, false, false, {}, nullptr, nullptr, nullptr, false, {3028, L"Safari"}, {}},
    {L"Maxthon Browser", L"Maxthon", false, nullptr, nullptr, nullptr, {L"maxthon.exe"},
     {L"Maxthon", L"Maxthon2", L"Maxthon3"}, {L"Maxthon"}, false, nullptr, false, false, {}, nullptr, nullptr, nullptr,
     false, {0, nullptr}, {}},
};

}  // namespace

std::span<const Browser> Browsers() { return kBrowsers; }

}  // namespace engine
