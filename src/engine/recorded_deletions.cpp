#include "engine/recorded_deletions.h"

#include <algorithm>

#include "engine/cookie_database.h"
#include "engine/kept_paths.h"
#include "engine/path_guard.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine::allerase {

namespace {

// Records what became of a deletion, or in a preview what would: a read-only file stays unless the
// deletion was to force it. Tells whether the file went (would go).
bool RecordDeletion(const EraseContext& erase, const FileDeletion& file) {
  if (erase.Previewing() && (file.attributes & FILE_ATTRIBUTE_READONLY) && !file.force) {
    erase.LeftBehind(file.path, platform::Tr(L"read-only"));
    return false;
  }
  if (erase.Previewing() || file.error == ERROR_SUCCESS) {
    erase.File(file.path, file.size, file.reason);
    return true;
  }
  if (const wchar_t* reason = RefusalReason(file.error, file.force ? 0 : file.attributes)) {
    erase.LeftBehind(file.path, reason);
  }
  return false;
}

std::wstring FolderOf(const std::wstring& path) {
  // A root keeps its separator.
  return path.substr(0, std::max<size_t>(path.find_last_of(L'\\'), 3));
}

}  // namespace

const wchar_t* RefusalReason(DWORD error, DWORD attributes) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return nullptr;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return platform::Tr(L"in use");
    case ERROR_ACCESS_DENIED:
      return (attributes & FILE_ATTRIBUTE_READONLY) ? platform::Tr(L"read-only") : platform::Tr(L"access denied");
    case ERROR_DIR_NOT_EMPTY: return platform::Tr(L"not empty");
    case engine::kLinkLeftInPlace: return platform::Tr(L"a link, left in place");
    default: return platform::Tr(L"refused");
  }
}

KeptInFolder::KeptInFolder(const std::wstring& folder, const std::wstring& leadsTo) : named_(folder) {
  if (leadsTo != folder) reached_.emplace(leadsTo);
}

const engine::KeptEntry* KeptInFolder::Refused(const EraseContext& erase, const std::wstring& name) const {
  const engine::KeptEntry* entry = named_.File(name);
  if (!entry && reached_) entry = reached_->File(name);
  return engine::Refuses(entry, erase.keptAllowed) ? entry : nullptr;
}

bool DeleteOneFile(const EraseContext& erase, FileDeletion file) {
  engine::WalkedFolders folders;
  const KeptInFolder inFolder(FolderOf(file.path), folders.LeadsTo(file.path));
  if (const engine::KeptEntry* kept = inFolder.Refused(erase, file.path.substr(file.path.find_last_of(L'\\') + 1))) {
    erase.Refused(file.path, engine::KeptRefusal(*kept));
    return false;
  }
  engine::ExpectedFinalPaths places;
  if (!erase.Previewing())
    file.error = engine::DeleteFileNow(
        file, erase.Overwriting(), [&] { erase.Pump(); }, places);
  return RecordDeletion(erase, file);
}

void FolderDeletions::Learn(const std::wstring& folder, HANDLE opened) {
  kept_.emplace(folder, engine::FolderLeadsTo(folder, opened));
  if (ctx_.keptPaths) keptNames_ = ctx_.keptPaths->NamesIn(opened);
  if (!ctx_.Previewing() && platform::RunsUnderWine()) places_.Learn(folder, opened);
}

bool FolderDeletions::Add(std::wstring path, const platform::FolderEntry& file, DWORD attributes, bool force) {
  if (!kept_) {
    kept_.emplace(FolderOf(path), engine::WalkedFolders().LeadsTo(path));
    if (ctx_.keptPaths) {
      platform::FileHandle folder = platform::OpenFolder(FolderOf(path));
      if (folder) keptNames_ = ctx_.keptPaths->NamesIn(folder.get());
    }
  }
  if (KeptByYou(path, file.name)) return false;
  if (ctx_.KeptAsTooNew(path, file)) {
    keeps = true;
    return false;
  }
  const double size = static_cast<double>(file.size);
  if (const engine::KeptEntry* kept = kept_->Refused(ctx_, file.name)) {
    Finish();
    ctx_.Refused(path, engine::KeptRefusal(*kept));
    allGone = false;
    return false;
  }
  if (StaysAsCookieDatabase(path)) {
    allGone = false;
    return false;
  }
  files_.push_back({std::move(path), size, attributes, force, ctx_.Reason()});
  return true;
}

void FolderDeletions::Finish() {
  workers_.DeleteAll(files_, places_);
  for (const FileDeletion& file : files_) {
    if (!file.attempted) {
      allGone = false;
      continue;
    }
    attempted += file.size;
    bool gone = RecordDeletion(ctx_, file);
    if (gone) deleted += file.size;
    allGone &= gone;
  }
  files_.clear();
}

bool FolderDeletions::KeptByYou(const std::wstring& path, const std::wstring& name) {
  const std::wstring* entry = engine::KeptPaths::Named(keptNames_, name);
  if (!entry) return false;
  Finish();
  engine::KeptByYou(ctx_, path, *entry);
  allGone = false;
  keeps = true;
  return true;
}

bool FolderDeletions::StaysAsCookieDatabase(const std::wstring& path) {
  const engine::CookieSchema* schema = engine::CookieDatabaseSchema(path);
  if (!schema && !engine::BelongsToCookieDatabase(path)) return false;
  Finish();
  double freed = schema ? engine::CleanCookieDatabase(ctx_, path, *schema) : 0;
  attempted += freed;
  deleted += freed;
  return true;
}

}  // namespace engine::allerase
