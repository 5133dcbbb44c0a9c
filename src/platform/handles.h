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

struct HandleTraits {
  using Raw = HANDLE;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { CloseHandle(h); }
};
struct FileHandleTraits {
  using Raw = HANDLE;
  static Raw Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Raw h) { CloseHandle(h); }
};
struct FindHandleTraits {
  using Raw = HANDLE;
  static Raw Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Raw h) { FindClose(h); }
};
struct RegKeyTraits {
  using Raw = HKEY;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { RegCloseKey(h); }
};

struct ModuleTraits {
  using Raw = HMODULE;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { FreeLibrary(h); }
};

struct MemoryDcTraits {
  using Raw = HDC;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { DeleteDC(h); }
};

using UniqueHandle = Unique<HandleTraits>;    // processes, threads, events
using FileHandle = Unique<FileHandleTraits>;  // CreateFileW
using FindHandle = Unique<FindHandleTraits>;  // FindFirstFileExW
using RegKey = Unique<RegKeyTraits>;
using Module = Unique<ModuleTraits>;      // LoadLibraryExW
using MemoryDc = Unique<MemoryDcTraits>;  // CreateCompatibleDC

struct WindowTraits {
  using Raw = HWND;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { DestroyWindow(h); }
};
using Window = Unique<WindowTraits>;  // CreateWindowExW, destroyed on the thread that made it

struct FontTraits {
  using Raw = HFONT;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { DeleteObject(h); }
};
using Font = Unique<FontTraits>;  // CreateFontIndirectW; deselect it from every DC first

struct BrushTraits {
  using Raw = HBRUSH;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { DeleteObject(h); }
};
using Brush = Unique<BrushTraits>;  // CreateSolidBrush; deselect it from every DC first

struct PenTraits {
  using Raw = HPEN;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { DeleteObject(h); }
};
using Pen = Unique<PenTraits>;  // CreatePen or ExtCreatePen; deselect it from every DC first

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

struct IconTraits {
  using Raw = HICON;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { DestroyIcon(h); }
};
using Icon = Unique<IconTraits>;  // LoadImageW with LR_LOADFROMFILE, never a shared icon

struct MenuTraits {
  using Raw = HMENU;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { DestroyMenu(h); }
};
using Menu = Unique<MenuTraits>;  // CreateMenu or CreatePopupMenu, never a menu a window owns

struct AcceleratorTraits {
  using Raw = HACCEL;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw h) { DestroyAcceleratorTable(h); }
};
using Accelerators = Unique<AcceleratorTraits>;  // CreateAcceleratorTableW

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
