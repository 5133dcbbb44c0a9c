#pragma once
// "Options" of the search tool: the editor of the extension list "Ext.txt". Every Add, Remove and
// Default hands the new joined list to the search tool at once.
#include <windows.h>

#include <functional>
#include <string>

#include "filesearch/dialog_template.h"
#include "filesearch/diskmote_settings.h"

namespace filesearch {

class ExtensionWindow {
 public:
  using SearchStringSink = std::function<void(const std::wstring&)>;

  ExtensionWindow(std::wstring programFolder, DiskmoteSettings settings, SearchStringSink searchString,
                  MessageSink messages = {});
  ~ExtensionWindow();
  ExtensionWindow(const ExtensionWindow&) = delete;
  ExtensionWindow& operator=(const ExtensionWindow&) = delete;

  // Creates and loads the window modeless, so that tests can drive it; false when the platform refused.
  bool Create(HWND owner, bool visible);
  // Creates and loads the window and returns once the user has closed it.
  void ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }
  HWND FileTypes() const { return fileTypes_; }  // lstFileTypes
  HWND AddText() const { return addText_; }      // txtAdd
  HWND AddButton() const { return Control(kAddId); }
  HWND RemoveButton() const { return Control(kRemoveId); }
  HWND DefaultButton() const { return Control(kDefaultId); }
  HWND DoneButton() const { return Control(kDoneId); }

 private:
  static constexpr WORD kFileTypesId = 1201;
  static constexpr WORD kAddTextId = 1202;
  static constexpr WORD kAddId = 1203;
  static constexpr WORD kRemoveId = 1204;
  static constexpr WORD kDefaultId = 1205;
  static constexpr WORD kDoneId = 1206;

  static DialogTemplate Template();
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND Control(WORD id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
  void Load(HWND hwnd);
  void FillList();
  void PushSearchString();
  void Add();
  void Remove();
  void Default();
  void Close();

  std::wstring programFolder_;
  DiskmoteSettings settings_;
  SearchStringSink searchString_;
  MessageSink messages_;
  bool modal_ = false;
  HWND hwnd_ = nullptr;
  HWND fileTypes_ = nullptr;
  HWND addText_ = nullptr;
};

}  // namespace filesearch
