#include "dialogs/keep_menu.h"

#include <algorithm>

#include "engine/kept_paths_file.h"
#include "platform/product_name.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "toolkit/messages.h"

namespace dialogs {

std::wstring KeepEntryText(KeepWhat what) {
  switch (what) {
    case KeepWhat::File: return platform::Tr(L"Keep this file");
    case KeepWhat::Folder: return platform::Tr(L"Keep this folder");
    case KeepWhat::Matches: break;
  }
  return platform::Tr(L"Keep everything this rule line matches in this folder");
}

std::wstring PathToKeep(KeepWhat what, const std::wstring& file, const std::wstring& pattern) {
  // A file just under a drive's root keeps the root as its folder ("C:\").
  const std::wstring folder = file.substr(0, std::max<size_t>(file.find_last_of(L'\\'), 3));
  switch (what) {
    case KeepWhat::File: return file;
    case KeepWhat::Folder: return folder;
    case KeepWhat::Matches: break;
  }
  return platform::JoinPath(folder, pattern);
}

bool KeepFromPreview(HWND owner, const std::wstring& programFolder, const std::wstring& path) {
  platform::Result<engine::KeptPathLine> kept = engine::KeepPath(programFolder, path, engine::kKeptFromDetails);
  if (!kept) {
    toolkit::Tell(owner, platform::Fill(platform::Tr(L"Not kept: {reason}"), {{L"reason", kept.Reason()}}));
    return false;
  }
  // The list shows nothing of the change until the next preview: the user is told it was made.
  toolkit::ShowMessage(owner,
                       std::wstring(platform::Tr(L"Trellwipe keeps these from every cleaning:")) + L"\n" + kept->path,
                       platform::kProductName, MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace dialogs
