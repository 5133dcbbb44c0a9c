#pragma once
// The main window's commands: one identifier per action, shared by the menu bar, the accelerators,
// the tray menu, the navigation images and the buttons.
#include <windows.h>

#include "platform/handles.h"

namespace ui {

enum Command : UINT {
  kCleanNowCommand = 1001,  // show the status page, then run
  kCleanSettingsCommand,
  kCleanOptionsCommand,
  kExitCommand,
  kCleanRegistryCommand,
  kSearchEraseCommand,
  kFileShredderCommand,
  kHelpCommand,
  kWebsiteCommand,
  kTellFriendCommand,
  kAboutCommand,
  kRestoreCommand,
  kTrayCleanNowCommand,  // unattended run, then hide the window
  kShowHomeCommand,
  kShowStatusCommand,
  kStartCleaningCommand,      // "Start Cleaning >>"
  kCancelCommand,             // the status page's "Cancel": stops the run or preview under way
  kPreviewCommand,            // show the status page, then list what a run would erase
  kTrayCleanShutdownCommand,  // unattended run, then shut Windows down
  kKeptPathsCommand,          // the files and folders to keep
  kRowDetailsCommand,         // a preview row's menu: its details, as a double-click opens them
  kKeepRowFileCommand,        // a preview row's menu: the one file the item found is kept
  kKeepRowFolderCommand,      // ... that file's folder, or the one folder it found
};

// "File(&F)", "Tool(&T)" and "Help(&H)" with the shortcut texts; the window owns it once set.
HMENU CreateMainMenu();
// The shortcuts of the menu bar's entries.
platform::Accelerators CreateMainAccelerators();
// "Systray": a hidden top-level menu whose one pop-up is shown at the tray icon.
platform::Menu CreateTrayMenu();

}  // namespace ui
