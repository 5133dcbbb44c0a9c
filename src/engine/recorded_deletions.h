#pragma once
// Deleting files and recording what became of each: one file on its own, or the files of one folder
// side by side. A file that holds what a user keeps stays, and the details say why.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/erase_context.h"
#include "engine/file_deletion.h"
#include "engine/kept_data.h"
#include "engine/kept_paths.h"
#include "engine/link_check.h"
#include "platform/files.h"

namespace engine::allerase {

using engine::EraseContext;

// Why the platform refused; nothing when the entry was already gone, which leaves nothing behind.
const wchar_t* RefusalReason(DWORD error, DWORD attributes);

// One file on its own, deleted (in a preview, judged) and recorded at once; a file that holds what
// a user keeps stays, and the details say why.
bool DeleteOneFile(const EraseContext& erase, FileDeletion file);

// What a user keeps in a folder's files and the running item may not erase: known by the path as
// named and by where the folder leads, as a link above a browser's profile folder may name it
// otherwise. Both are judged once for the folder, then by each file's name.
class KeptInFolder {
 public:
  KeptInFolder(const std::wstring& folder, const std::wstring& leadsTo);
  const engine::KeptEntry* Refused(const EraseContext& erase, const std::wstring& name) const;

 private:
  engine::KeptFolder named_;
  std::optional<engine::KeptFolder> reached_;
};

// The file deletions of one folder: handed over in the walk's order, deleted side by side, then
// recorded in that order, so the details read as if they went one by one.
class FolderDeletions {
 public:
  FolderDeletions(const EraseContext& erase, DeletionWorkers& workers) : ctx_(erase), workers_(workers) {}
  // Where the folder lies, from the handle the walk listed it with: its files' kept data and, under
  // Wine, each deletion's check that it is no link are judged by it without opening the folder again.
  void Learn(const std::wstring& folder, HANDLE opened);
  // False for a file the user keeps or that holds what a user keeps: it stays, recorded after what
  // went before it. A cookie database stays too, cleaned inside, and counts the bytes it shed. A file
  // written too recently stays on purpose (`keeps`), and so does its folder.
  bool Add(std::wstring path, const platform::FolderEntry& file, DWORD attributes, bool force);
  // Deletes what was handed over and records it. Called before the walk records anything of its
  // own, and at the end of the folder.
  void Finish();

  double attempted = 0;  // the sizes of the files whose deletion was attempted
  double deleted = 0;    // the sizes of those that went (in a preview: would go)
  bool allGone = true;
  bool keeps = false;  // a file too new stays

 private:
  bool StaysAsCookieDatabase(const std::wstring& path);
  // A file the user keeps stays, recorded as kept by you after what went before it.
  bool KeptByYou(const std::wstring& path, const std::wstring& name);

  const EraseContext& ctx_;
  DeletionWorkers& workers_;
  std::vector<FileDeletion> files_;
  std::optional<KeptInFolder> kept_;                // learned with the folder, or at its first file
  std::vector<engine::KeptPaths::Name> keptNames_;  // the folder's files the user keeps, learned with it
  engine::ExpectedFinalPaths places_;
};

}  // namespace engine::allerase
