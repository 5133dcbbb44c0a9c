// The custom files and folders of "cusd.dat": one row, "Custom Item", for the whole list.
#include <windows.h>

#include "catalogue/catalogue.h"
#include "engine/allerase.h"
#include "platform/files.h"
#include "settings/custom_list.h"
#include "settings/options.h"

namespace catalogue {

namespace {

class CustomItems : public run::Stage {
 public:
  void Run(run::ItemContext& context) const override {
    if (Runs(kCustomItem, context)) RunList(context);
    context.SetProgress(kCustomProgress);
  }

 private:
  static void RunList(run::ItemContext& context) {
    context.BeginItem(kCustomItem.section, kCustomItem.key, platform::Tr(kCustomItem.label));
    std::wstring file = settings::CustomListFile(context.programFolder);
    if (!platform::FileExists(file)) {
      context.outcome = platform::Tr(L"Fail, Can't find file!");
    } else {
      // The user's own files and folders are not a program: when none is there, the row says "Not
      // found" rather than "Not installed", and the details name what was looked for.
      std::vector<std::wstring> absent;
      bool found = false;
      // The folders keep young files when the options say so, with the age of the temporary files.
      const settings::AgeOptions ages = settings::LoadAgeOptions(context.programFolder);
      const int folderAge = ages.customFolders ? ages.tempHours : 0;
      for (const settings::CustomEntry& entry : settings::ReadCustomList(file)) {
        if (context.erase.Stopped()) break;
        found = found || platform::FileExists(entry.path) || platform::FolderExists(entry.path);
        absent.push_back(entry.path);
        if (entry.type == L"File") {
          context.AddBytes(engine::allerase::EraseFile(context.erase, entry.path));
        } else if (entry.type == L"Folder") {
          KeepingYoungFiles(context, folderAge, [&](run::ItemContext& aged) {
            aged.AddBytes(engine::allerase::EraseFolder(aged.erase, entry.path));
          });
        }
      }
      if (!found && !absent.empty()) context.NotInstalled(std::move(absent), run::kNotFoundOutcome);
    }
    context.EndItem();
  }
};

}  // namespace

std::unique_ptr<const run::Stage> CustomItemsStage() { return std::make_unique<CustomItems>(); }

}  // namespace catalogue
