#include "catalogue/steps.h"

#include "engine/allerase.h"
#include "engine/regfun.h"
#include "engine/user_folders.h"
#include "platform/files.h"

namespace catalogue {

namespace {

double RunFileOp(const Step& step, const engine::EraseContext& erase, const std::wstring& folder) {
  using namespace engine::allerase;
  switch (step.op) {
    case Op::AllFilesInTree: return EraseAllFilesInTree(erase, folder);
    case Op::NamedFilesInTree: return EraseNamedFilesInTree(erase, folder, step.name);
    case Op::ExtensionInTree: return EraseFilesByExtensionInTree(erase, folder, step.name);
    case Op::NamedFoldersInTree: return EraseNamedFoldersInTree(erase, folder, step.name);
    case Op::RecreateFolder: return RecreateFolder(erase, folder, step.name);
    case Op::FilesInFolder: return EraseFilesInFolder(erase, folder);
    case Op::NamedFileInFolder: return EraseNamedFileInFolder(erase, folder, step.name);
    default: return 0;
  }
}

bool WalksATree(Op op) {
  return op == Op::AllFilesInTree || op == Op::NamedFilesInTree || op == Op::ExtensionInTree ||
         op == Op::NamedFoldersInTree;
}

// The step's key for the user the run's values name.
std::pair<HKEY, std::wstring> KeyOf(const Step& step, const run::ItemContext& context) {
  return context.values.user.Key(RootOf(step.hive), step.path);
}

}  // namespace

bool ForEachUser(const Step& step) {
  switch (step.op) {
    case Op::DeleteKey:
    case Op::DeleteTree:
    case Op::DeleteValue: return step.hive == Hive::CurrentUser;
    case Op::AddKeys:
    case Op::AddBytes: return false;
    case Op::Call: return step.eachUser;
    default: return step.base != Base::Absolute && step.base != Base::Windows;
  }
}

void KeepingYoungFiles(run::ItemContext& context, int hours, const std::function<void(run::ItemContext&)>& erasures) {
  engine::EraseContext erase = context.erase;
  erase.KeepChangedWithin(std::chrono::hours(hours));
  run::ItemContext aged{erase,        context.counters, context.run, context.values, context.programFolder,
                        context.view, context.choice};
  erasures(aged);
}

bool IsFullPath(const std::wstring& path) {
  bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
  bool share = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
  return drive || share;
}

HKEY RootOf(Hive hive) {
  switch (hive) {
    case Hive::CurrentUser: return HKEY_CURRENT_USER;
    case Hive::LocalMachine: return HKEY_LOCAL_MACHINE;
    case Hive::Users: return HKEY_USERS;
  }
  return nullptr;
}

std::wstring BaseFolder(Base base, const run::ItemContext& context) {
  std::wstring folder;
  switch (base) {
    case Base::Absolute: return L"";
    case Base::AppData: folder = context.AppDataFolder(); break;
    case Base::LocalAppData: folder = context.LocalAppDataFolder(); break;
    case Base::Windows: folder = context.values.windowsFolder; break;
    case Base::Documents:
      folder = engine::UserFolderFor(context.erase, context.values.user, L"Personal", L"\\Documents");
      break;
    case Base::NetscapeProfiles: {
      const std::wstring appData = context.AppDataFolder();
      if (appData.empty()) break;
      std::wstring nsb = appData + L"\\Netscape\\NSB\\Profiles";
      folder = platform::FolderExists(nsb) ? nsb : appData + L"\\Netscape\\Navigator\\Profiles";
      break;
    }
  }
  return IsFullPath(folder) ? folder : L"";
}

std::optional<StepTarget> TargetOf(const Step& step, const run::ItemContext& context) {
  switch (step.op) {
    case Op::AddKeys:
    case Op::AddBytes:
    case Op::Call: return std::nullopt;
    case Op::DeleteKey:
    case Op::DeleteTree:
    case Op::DeleteValue: {
      const auto [root, subkey] = KeyOf(step, context);
      // A key that cannot be opened for another reason than its absence counts as there.
      HKEY key = nullptr;
      const LONG opened = RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &key);
      if (opened == ERROR_SUCCESS) RegCloseKey(key);
      const bool found = opened != ERROR_FILE_NOT_FOUND && opened != ERROR_PATH_NOT_FOUND;
      return StepTarget{engine::regfun::RootName(root) + L"\\" + subkey, found};
    }
    default: break;
  }
  const std::wstring base = step.base == Base::Absolute ? L"" : BaseFolder(step.base, context);
  // A folder the system could not name is not there.
  if (step.base != Base::Absolute && base.empty()) return StepTarget{step.path, false};
  const std::wstring folder = base + step.path;
  return StepTarget{folder, GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES};
}

void RunStep(const Step& step, run::ItemContext& context) {
  const auto [root, subkey] = KeyOf(step, context);
  switch (step.op) {
    case Op::DeleteKey: context.AddKeys(engine::allerase::DeleteRegistryKey(context.erase, root, subkey)); return;
    case Op::DeleteTree: context.AddKeys(engine::allerase::DeleteRegistryTree(context.erase, root, subkey)); return;
    case Op::DeleteValue:
      context.AddKeys(engine::allerase::DeleteRegistryValue(context.erase, root, subkey, step.name));
      return;
    case Op::AddKeys: context.AddKeys(step.amount); return;
    case Op::AddBytes: context.AddBytes(step.amount); return;
    case Op::Call: step.call(context); return;
    default: break;
  }
  std::wstring folder = step.base == Base::Absolute ? std::wstring(step.path) : BaseFolder(step.base, context);
  if (folder.empty()) {
    // A folder the system could not name counts as a missing one: a tree step its visit, touching
    // nothing.
    if (WalksATree(step.op)) context.AddBytes(engine::allerase::kFolderVisit);
    return;
  }
  if (step.base != Base::Absolute) folder += step.path;
  context.AddBytes(RunFileOp(step, context.erase, folder));
}

}  // namespace catalogue
