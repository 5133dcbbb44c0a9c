#include "ui/explorer_keep.h"

#include <windows.h>
#include <shellapi.h>

#include "engine/kept_paths_file.h"
#include "platform/product_name.h"
#include "platform/translation.h"
#include "toolkit/messages.h"

namespace ui {

std::optional<std::vector<std::wstring>> PathsToKeep(const std::wstring& commandLine) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
  std::optional<std::vector<std::wstring>> paths;
  if (argv && count >= 2 && CompareStringOrdinal(argv[1], -1, kKeepOption, -1, TRUE) == CSTR_EQUAL) {
    paths.emplace(argv + 2, argv + count);
  }
  LocalFree(argv);
  return paths;
}

bool KeepFromExplorer(const std::wstring& programFolder, const std::vector<std::wstring>& paths) {
  std::wstring kept, refused;
  for (const std::wstring& path : paths) {
    platform::Result<engine::KeptPathLine> entry = engine::KeepPath(programFolder, path, engine::kKeptFromExplorer);
    if (entry) {
      kept += L"\n" + entry->path;
    } else {
      refused += L"\n" + platform::Fill(platform::Tr(L"Not kept: {reason}"), {{L"reason", entry.Reason()}});
    }
  }
  std::wstring text;
  if (!kept.empty()) text = platform::Tr(L"Trellwipe keeps these from every cleaning:") + kept;
  if (!refused.empty()) text += (text.empty() ? L"" : L"\n\n") + refused.substr(1);
  if (text.empty()) text = platform::Tr(L"Nothing was chosen to keep.");
  toolkit::ShowMessage(nullptr, text, platform::kProductName,
                       MB_OK | (refused.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
  return refused.empty();
}

}  // namespace ui
