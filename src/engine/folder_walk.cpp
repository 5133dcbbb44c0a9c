#include "engine/folder_walk.h"

#include "engine/cookie_database.h"
#include "engine/kept_paths.h"
#include "engine/path_guard.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine::allerase {

namespace {

// The folder's entries in the file system's order, read whole through the walk's handle of it
// before anything is deleted. A folder of many thousand entries takes a while to list: the window
// keeps working meanwhile. A folder the user may not list (one that needs administrator rights) is
// named in the details.
// `error` is why the folder could not be opened.
Listing List(const EraseContext& erase, const std::wstring& folder, const platform::FileHandle& opened, DWORD error) {
  Listing listing;
  auto each = [&](const Entry& entry) {
    erase.Pump();
    (entry.IsFolder() ? listing.folders : listing.files).push_back(entry);
  };
  if (opened) {
    platform::Result<void> listed = platform::ListOpenFolder(opened.get(), each);
    error = listed ? ERROR_SUCCESS : listed.SystemError();
  }
  listing.opened = error == ERROR_SUCCESS;
  if (error == ERROR_ACCESS_DENIED) erase.LeftBehind(folder, platform::Tr(L"access denied"));
  return listing;
}

// Every walk asks here at every folder it meets on its way down, of the folder as it opened it: it
// never enters a drive root, a protected folder (but a walk over a whole drive) or the program
// folder, however it reached it, and says so in the details. Nor does it enter a kept site's sign-in
// storage, nor a folder the user keeps. A folder it could not open is known by its path.
bool Enters(const EraseContext& erase, const std::wstring& folder, const platform::FileHandle& opened,
            bool throughProtected) {
  if (opened && engine::KeepsFolder(erase, folder, opened.get())) return false;
  engine::Refusal refusal = opened ? engine::FolderRefusal(erase, folder, opened.get(), throughProtected)
                                   : engine::FolderRefusal(erase, folder, throughProtected);
  if (refusal == engine::Refusal::None) return !engine::KeepsSiteStorage(erase, folder);
  erase.Refused(folder, engine::RefusalReason(refusal));
  return false;
}

// The folders still open, with the subfolders each has left to walk, are kept on a list rather than
// on the call stack: a tree as deep as a path can reach must not exhaust the stack.
class Walker {
 public:
  Walker(const EraseContext& erase, WalkSteps& steps) : ctx_(erase), steps_(steps), workers_(erase) {}

  WalkResult Run(WalkedFolder start) {
    if (!ctx_.Stopped()) Enter(std::move(start));
    while (!open_.empty() && !ctx_.Stopped()) {
      Open& top = open_.back();
      if (top.next < top.subfolders.size()) {
        Enter(std::move(top.subfolders[top.next++]));
        continue;
      }
      WalkedFolder done = std::move(top.folder);
      open_.pop_back();
      steps_.Leave(done, open_.empty() ? nullptr : &open_.back().folder);
    }
    return result_;
  }

 private:
  struct Open {
    WalkedFolder folder;
    std::vector<WalkedFolder> subfolders = {};  // the ones to walk, in the listing's order
    size_t next = 0;
  };

  void Enter(WalkedFolder folder) {
    platform::FileHandle handle = platform::OpenFolder(folder.path);
    const DWORD openError = handle ? ERROR_SUCCESS : GetLastError();
    if (!folder.guarded && !Enters(ctx_, folder.path, handle, steps_.throughProtected)) {
      if (!open_.empty()) open_.back().folder.keeps = true;
      return;
    }
    Listing listing = List(ctx_, folder.path, handle, openError);
    ++result_.listed;
    steps_.Listed(folder, listing);
    FolderDeletions deletions(ctx_, workers_);
    if (handle) deletions.Learn(folder.path, handle.get());
    for (const Entry& file : listing.files) {
      if (ctx_.Stopped()) break;
      ctx_.Pump();
      steps_.File(folder, file, platform::JoinPath(folder.path, file.name), deletions);
    }
    deletions.Finish();
    result_.attempted += deletions.attempted;
    result_.deleted += deletions.deleted;
    folder.emptied &= deletions.allGone;
    folder.keeps |= deletions.keeps;
    handle.reset();
    open_.push_back({std::move(folder)});
    Subfolders(open_.back(), listing);
  }

  // The subfolders to walk; the guard judges each when the walk gets there.
  void Subfolders(Open& entered, const Listing& listing) {
    WalkedFolder& parent = entered.folder;
    for (const Entry& sub : listing.folders) {
      if (ctx_.Stopped()) break;
      std::wstring path = platform::JoinPath(parent.path, sub.name);
      if (!steps_.descends) {
        parent.keeps = true;
      } else if (sub.IsLink()) {
        steps_.Link(parent, path);
      } else if (steps_.Enter(parent, sub, path)) {
        entered.subfolders.push_back({std::move(path), sub.attributes, false});
      }
    }
  }

  const EraseContext& ctx_;
  WalkSteps& steps_;
  WalkResult result_;
  DeletionWorkers workers_;
  std::vector<Open> open_;
};

}  // namespace

// Removes an emptied folder; in a preview, `emptied` tells whether it would be empty by then.
bool RemoveOneFolder(const EraseContext& erase, const std::wstring& folder, bool emptied, bool record) {
  if (erase.Previewing()) {
    if (record) emptied ? erase.Folder(folder) : erase.LeftBehind(folder, platform::Tr(L"not empty"));
    return emptied;
  }
  if (RemoveDirectoryW(platform::ApiPath(folder).c_str())) {
    if (record) erase.Folder(folder);
    return true;
  }
  const wchar_t* reason = RefusalReason(GetLastError(), 0);
  if (record && reason) erase.LeftBehind(folder, reason);
  return false;
}

std::optional<std::wstring> Start(const EraseContext& erase, std::optional<std::wstring> start) {
  if (start && engine::InKeptSiteStorage(erase, *start)) return std::nullopt;
  return start;
}

WalkResult Walk(const EraseContext& erase, WalkedFolder start, WalkSteps& steps) {
  return Walker(erase, steps).Run(std::move(start));
}

}  // namespace engine::allerase
