#pragma once
// One small owner per kind of system resource; each closes its resource when it goes out of scope.
#include <windows.h>
#include <utility>

namespace platform {

template <typename Traits>
class Unique {
 public:
  using Raw = typename Traits::Raw;
  Unique() = default;
  explicit Unique(Raw raw) : raw_(raw) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : raw_(std::exchange(other.raw_, Traits::Invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.raw_, Traits::Invalid()));
    return *this;
  }
  ~Unique() { reset(); }

  void reset(Raw raw = Traits::Invalid()) {
    if (valid()) Traits::Close(raw_);
    raw_ = raw;
  }
  bool valid() const { return raw_ != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }
  Raw get() const { return raw_; }
  // For APIs that fill in a handle through a pointer.
  Raw* out() {
    reset();
    return &raw_;
  }

 private:
  Raw raw_ = Traits::Invalid();
};

// The traits of a handle of type `RawType` that `close` gives back; `invalid` is the value of none,
// as a number, because a template cannot take INVALID_HANDLE_VALUE itself (it is -1).
template <typename RawType, auto close, INT_PTR invalid = 0>
struct ClosedBy {
  using Raw = RawType;
  static Raw Invalid() { return reinterpret_cast<Raw>(invalid); }
  static void Close(Raw raw) { close(raw); }
};

using UniqueHandle = Unique<ClosedBy<HANDLE, CloseHandle>>;    // processes, threads, events
using FileHandle = Unique<ClosedBy<HANDLE, CloseHandle, -1>>;  // CreateFileW
using FindHandle = Unique<ClosedBy<HANDLE, FindClose, -1>>;    // FindFirstFileExW
using RegKey = Unique<ClosedBy<HKEY, RegCloseKey>>;
using Module = Unique<ClosedBy<HMODULE, FreeLibrary>>;  // LoadLibraryExW
using MemoryDc = Unique<ClosedBy<HDC, DeleteDC>>;       // CreateCompatibleDC
using Window = Unique<ClosedBy<HWND, DestroyWindow>>;   // CreateWindowExW, destroyed on the thread that made it
using Font = Unique<ClosedBy<HFONT, DeleteObject>>;     // CreateFontIndirectW; deselect it from every DC first
using Brush = Unique<ClosedBy<HBRUSH, DeleteObject>>;   // CreateSolidBrush; deselect it from every DC first
using Pen = Unique<ClosedBy<HPEN, DeleteObject>>;       // CreatePen or ExtCreatePen; deselect it from every DC first
using Icon = Unique<ClosedBy<HICON, DestroyIcon>>;      // LoadImageW with LR_LOADFROMFILE, never a shared icon
using Menu = Unique<ClosedBy<HMENU, DestroyMenu>>;      // CreateMenu or CreatePopupMenu, never a menu a window owns
using Accelerators = Unique<ClosedBy<HACCEL, DestroyAcceleratorTable>>;  // CreateAcceleratorTableW
using EventSource = Unique<ClosedBy<HANDLE, DeregisterEventSource>>;     // RegisterEventSourceW

// A window's DC (the screen's for no window) for the life of the object.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC for the life of the owner, and the DC's own put back afterwards, so
// that no font or brush is deleted while a DC still holds it. Nothing is selected for a null object.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

struct TimerId {
  HWND window = nullptr;
  UINT_PTR id = 0;
  bool operator==(const TimerId&) const = default;
};
struct TimerTraits {
  using Raw = TimerId;
  static Raw Invalid() { return {}; }
  static void Close(Raw t) { KillTimer(t.window, t.id); }
};
using Timer = Unique<TimerTraits>;  // SetTimer on a window; killed before the window is destroyed

}  // namespace platform
