#include "catalogue/catalogue.h"

// Windows' own traces.
namespace catalogue {

namespace {

const Item kWindowsItems[] = {
    {L"WINDOWS", L"recent", L"Recent Documents History", 33},
    {L"WINDOWS", L"run", L"Start Menu Run History", 34},
    {L"WINDOWS", L"search", L"Windows Search History", 35},
    {L"WINDOWS", L"temp", L"Windows Temp", 36},
    {L"WINDOWS", L"recycle", L"Recycle Bin", 37},
    {L"WINDOWS", L"open", L"Open/Save Dialog Box History", 38},
    {L"WINDOWS", L"scandisk", L"Scandisk Temp Files", 39},
    {L"WINDOWS", L"passwords", L"Windows Passwords(Only 9X/Me)", 40},
    {L"WINDOWS", L"clip", L"Windows Clipboard", 41},
    {L"WINDOWS", L"wordpad", L"Wordpad Recent Files", 41},
    {L"WINDOWS", L"paint", L"Windows Paint Recent Files", 41},
    {L"WINDOWS", L"picturelocation", L"The custom locations from the picture location drop-down box", kNoProgress},
    {L"WINDOWS", L"DirectX", L"DirectX most recent applications", kNoProgress},
    {L"WINDOWS", L"findcomputer", L"Find computer dialog box", kNoProgress},
    {L"WINDOWS", L"findfiles", L"Find files dialog box", kNoProgress},
    {L"WINDOWS", L"mapnetwork", L"Map network drive MRU", kNoProgress},
    {L"WINDOWS", L"management", L"Microsoft management console recent file list", kNoProgress},
    {L"WINDOWS", L"notification", L"Past items from the notification area", kNoProgress},
    {L"WINDOWS", L"registryeditor", L"Registry editor last opened key", kNoProgress},
    {L"WINDOWS", L"searchfolders", L"Saved search folders from windows vista", 41},
    {L"WINDOWS", L"menuorder", L"Start menu programs and favorites menu order", kNoProgress},
    {L"WINDOWS", L"recentlyused", L"The list of most recently used files and folders", kNoProgress},
    {L"WINDOWS", L"thumbs", L"Thumbs.db", 42},
    {L"WINDOWS", L"streams", L"Windows explorer streams MRUs", kNoProgress},
    {L"WINDOWS", L"swap", L"windows swap/paging file", 43},
    {L"WINDOWS", L"userassist", L"Windows userassist MRUs", kNoProgress},
    {L"WINDOWS", L"unread", L"Windows unread mail count", kNoProgress},
};

}  // namespace

std::span<const Item> WindowsItems() { return kWindowsItems; }

}  // namespace catalogue
