#include "ui/main_commands.h"

#include <initializer_list>
#include <iterator>

namespace ui {

namespace {

struct Entry {
  const wchar_t* text;  // nullptr: a separator
  UINT command;
};

constexpr Entry kSeparator = {nullptr, 0};

HMENU Popup(std::initializer_list<Entry> entries) {
  HMENU menu = CreatePopupMenu();
  for (const Entry& entry : entries) {
    if (entry.text) {
      AppendMenuW(menu, MF_STRING, entry.command, entry.text);
    } else {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
  }
  return menu;
}

struct Shortcut {
  BYTE modifiers;
  WORD key;
  UINT command;
};

constexpr Shortcut kShortcuts[] = {
    {FCONTROL, 'N', kCleanNowCommand},     {FCONTROL, 'S', kCleanSettingsCommand},
    {FCONTROL, 'O', kCleanOptionsCommand}, {FCONTROL, 'X', kExitCommand},
    {0, VK_F1, kHelpCommand},              {FCONTROL, 'W', kWebsiteCommand},
    {FCONTROL, 'A', kAboutCommand},
};

}  // namespace

HMENU CreateMainMenu() {
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP,
              reinterpret_cast<UINT_PTR>(Popup({{L"Clean Now\tCtrl+N", kCleanNowCommand},
                                                {L"Preview", kPreviewCommand},
                                                kSeparator,
                                                {L"Clean Settings\tCtrl+S", kCleanSettingsCommand},
                                                kSeparator,
                                                {L"Clean Options\tCtrl+O", kCleanOptionsCommand},
                                                kSeparator,
                                                {L"Exit\tCtrl+X", kExitCommand}})),
              L"File(&F)");
  AppendMenuW(bar, MF_POPUP,
              reinterpret_cast<UINT_PTR>(Popup({{L"Clean Registry", kCleanRegistryCommand},
                                                kSeparator,
                                                {L"Search and Erase", kSearchEraseCommand},
                                                kSeparator,
                                                {L"File Shredder", kFileShredderCommand}})),
              L"Tool(&T)");
  AppendMenuW(bar, MF_POPUP,
              reinterpret_cast<UINT_PTR>(Popup({{L"Help\tF1", kHelpCommand},
                                                kSeparator,
                                                {L"Our Website\tCtrl+W", kWebsiteCommand},
                                                kSeparator,
                                                {L"Tell a Friend", kTellFriendCommand},
                                                kSeparator,
                                                {L"About\tCtrl+A", kAboutCommand}})),
              L"Help(&H)");
  return bar;
}

platform::Accelerators CreateMainAccelerators() {
  ACCEL table[std::size(kShortcuts)];
  for (size_t i = 0; i < std::size(kShortcuts); ++i) {
    table[i] = {static_cast<BYTE>(FVIRTKEY | kShortcuts[i].modifiers), kShortcuts[i].key,
                static_cast<WORD>(kShortcuts[i].command)};
  }
  return platform::Accelerators(CreateAcceleratorTableW(table, static_cast<int>(std::size(table))));
}

platform::Menu CreateTrayMenu() {
  platform::Menu systray(CreateMenu());
  AppendMenuW(systray.get(), MF_POPUP,
              reinterpret_cast<UINT_PTR>(Popup({{L"Trellwipe On the Web", kWebsiteCommand},
                                                {L"Help", kHelpCommand},
                                                kSeparator,
                                                {L"Options", kCleanOptionsCommand},
                                                kSeparator,
                                                {L"Settings", kCleanSettingsCommand},
                                                kSeparator,
                                                {L"Restore", kRestoreCommand},
                                                kSeparator,
                                                {L"Clean Now", kTrayCleanNowCommand},
                                                {L"Clean and Shut Down", kTrayCleanShutdownCommand},
                                                kSeparator,
                                                {L"Exit", kExitCommand}})),
              L"Systray");
  return systray;
}

}  // namespace ui
