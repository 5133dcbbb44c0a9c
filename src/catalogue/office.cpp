#include "catalogue/catalogue.h"

// The office suite's and other applications' recent-file lists and settings.
namespace catalogue {

namespace {

const Item kOfficeItems[] = {
    {L"OFFICE", L"word", L"Microsoft Word", 49},
    {L"OFFICE", L"excel", L"Microsoft Excel", 50},
    {L"OFFICE", L"Powerpoint", L"Microsoft Powerpoint", 51},
    {L"OFFICE", L"FrontPage", L"Microsoft FrontPage", 52},
    {L"OFFICE", L"Access", L"Microsoft Access", kNoProgress},
    {L"OFFICE", L"Publisher", L"Microsoft Publisher", kNoProgress},
    {L"OFFICE", L"InfoPath", L"Microsoft InfoPath", kNoProgress},
    {L"OFFICE", L"Onenote", L"Microsoft Onenote", kNoProgress},
    {L"OFFICE", L"Lync", L"Microsoft Lync Settings", kNoProgress},
    {L"OFFICE", L"SkyDrive", L"Microsoft SkyDrive Settings", kNoProgress},
    {L"OFFICE", L"Project", L"Microsoft Project", 53},
    {L"OFFICE", L"Visio", L"Microsoft Visio", kNoProgress},
    {L"OFFICE", L"Organizer", L"Clip Organizer", kNoProgress},
    {L"OFFICE", L"Settings", L"Microsoft Office Settings", 54},
    {L"OFFICE", L"Picture", L"Microsoft Office Picture Manager", kNoProgress},
    {L"OFFICE", L"Viewer", L"Microsoft Snapshot Viewer", 55},
};

}  // namespace

std::span<const Item> OfficeItems() { return kOfficeItems; }

void PrepareOfficeItems(engine::ItemContext&) {}

}  // namespace catalogue
