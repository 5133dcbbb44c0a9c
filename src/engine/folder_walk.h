#pragma once
// The walk every tree erasure goes through: each folder opened once, judged by the guard, listed and
// its files deleted side by side before its subfolders; what the erasures differ in is their steps.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/erase_context.h"
#include "engine/recorded_deletions.h"
#include "platform/files.h"

namespace engine::allerase {

using Entry = platform::FolderEntry;

struct Listing {
  bool opened = false;
  std::vector<Entry> files;
  std::vector<Entry> folders;
};

// Removes an emptied folder; in a preview, `emptied` tells whether it would be empty by then.
bool RemoveOneFolder(const EraseContext& erase, const std::wstring& folder, bool emptied, bool record);

// Where a walk, or a single file's erasure, starts once the guard allowed it: nowhere in a kept site's
// sign-in storage, which stays whole however it was named.
std::optional<std::wstring> Start(const EraseContext& erase, std::optional<std::wstring> start);

// A folder a walk has entered.
struct WalkedFolder {
  std::wstring path;
  DWORD attributes = 0;  // as its parent's listing gave them; the starting folder's own
  bool guarded = true;   // the guard let the walk in already: a start its caller asked about
  bool emptied = true;   // everything met in it so far went
  bool keeps = false;    // something in it stays on purpose, and so do the folder and those above it
};

// What one walk does where the walks differ. The walker lists every folder once and keeps the rules
// they share: it never goes through a link, and enters a folder only when Enters allows it; a link
// or a refused folder stays, and so does the folder that holds it (`keeps`).
class WalkSteps {
 public:
  // False: the walk does not go below its starting folder, whose subfolders all stay.
  bool descends = true;
  // A walk over a whole drive, which passes the protected folders.
  bool throughProtected = false;

  // A folder just listed, before its files.
  virtual void Listed(WalkedFolder&, const Listing&) {}
  // One file of the folder: what goes is handed to `deletions`, which deletes the folder's files
  // side by side once they are all met, before anything of its subfolders is touched.
  virtual void File(WalkedFolder&, const Entry&, std::wstring, FolderDeletions&) {}
  // A subfolder that is no link: whether to walk it (the guard judges it once the walk gets there), or
  // whether the walk dealt with it otherwise, through a walk of its own that the guard judges alike.
  virtual bool Enter(WalkedFolder&, const Entry&, const std::wstring&) { return true; }
  // A subfolder that is a link.
  virtual void Link(WalkedFolder& parent, const std::wstring&) { parent.keeps = true; }
  // A folder whose contents are all done, and the folder that holds it (none for the starting one).
  virtual void Leave(WalkedFolder&, WalkedFolder*) {}

 protected:
  ~WalkSteps() = default;
};

struct WalkResult {
  size_t listed = 0;     // the folders listed, the starting one included
  double attempted = 0;  // the sizes of the files whose deletion was attempted
  double deleted = 0;    // the sizes of those that went (in a preview: would go)
};

// Depth first, each folder's files before its subfolders, in the listing's order; a folder is left
// once everything below it is done. Each folder is opened once: the guard judges what it is, it is
// listed and its files are judged and deleted through that one handle. A stop ends it before the
// next file, and it then enters, judges and leaves no further folder.
WalkResult Walk(const EraseContext& erase, WalkedFolder start, WalkSteps& steps);

}  // namespace engine::allerase
