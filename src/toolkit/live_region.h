#pragma once
// A control whose new text a screen reader reads out wherever the focus is, as a live region of a web
// page is: the control tells readers when its text changed.
#include <windows.h>

namespace toolkit {

// EVENT_OBJECT_LIVEREGIONCHANGED, Windows 8's; the Windows 7 headers the program builds with lack it.
constexpr DWORD kLiveRegionChanged = 0x8019;

// After SetWindowText on `control`: readers that follow live regions read the text, the others hear of
// a change of its name.
inline void AnnounceText(HWND control) {
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
  NotifyWinEvent(kLiveRegionChanged, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace toolkit
