#pragma once
// "Options" of the search tool: the editor of the extension list "Ext.txt". Every Add, Remove and
// Default hands the new joined list to the search tool at once.
#include <windows.h>

#include <functional>
#include <string>

#include "filesearch/diskmote_settings.h"
#include "platform/result.h"
#include "toolkit/dialog.h"

namespace dialogs {

class ExtensionWindow : public toolkit::Dialog {
 public:
  using SearchStringSink = std::function<void(const std::wstring&)>;

  ExtensionWindow(std::wstring programFolder, filesearch::DiskmoteSettings settings, SearchStringSink searchString);

  HWND FileTypes() const { return Control(kFileTypesId); }  // lstFileTypes
  HWND AddText() const { return Control(kAddTextId); }      // txtAdd
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

  toolkit::DialogTemplate Template() const override;
  void Load() override;
  void FillList();
  void PushSearchString();
  void Add();
  void Remove();
  // Says which file could not be written and why, when the list stayed as it was: `message` has the
  // placeholders {file} and {reason}.
  void TellIfNotWritten(const platform::Result<void>& written, const wchar_t* message) const;
  void Default();
  // Enter in the text field adds what was typed.
  void EnterPressed();

  std::wstring programFolder_;
  filesearch::DiskmoteSettings settings_;
  SearchStringSink searchString_;
};

}  // namespace dialogs
