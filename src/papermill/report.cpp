#include "papermill/report.h"

#include <cmath>

#include "platform/format.h"

namespace papermill {

namespace {

std::wstring TimeLeft(double seconds) {
  if (seconds < 0) return L"";
  if (seconds < 90)
    return L", about " + platform::Counted(static_cast<size_t>(std::ceil(seconds)), L"second", L"seconds") + L" left";
  return L", about " + platform::Counted(static_cast<size_t>(std::ceil(seconds / 60)), L"minute", L"minutes") +
         L" left";
}

}  // namespace

std::wstring Size(unsigned long long bytes) {
  // A few bytes are not rounded up to a kilobyte.
  return bytes < 1024 ? platform::Counted(static_cast<size_t>(bytes), L"byte", L"bytes")
                      : platform::SizeText(static_cast<double>(bytes));
}

std::wstring LeftLine(const shredder::Left& left) { return left.path + L" (" + left.reason + L")"; }

std::wstring ShredSummary(const shredder::ShredResult& result) {
  std::wstring text =
      L"Shredded " + platform::Counted(result.files, L"file", L"files") + L" (" + Size(result.bytes) + L")";
  if (result.folders) text += L" and " + platform::Counted(result.folders, L"folder", L"folders");
  if (result.links) text += L", removed " + platform::Counted(result.links, L"link", L"links");
  text += L"; " + std::to_wstring(result.left.size()) + L" left";
  if (result.stopped) text += L", stopped";
  return text + L".";
}

std::wstring ShredQuestion(size_t files, unsigned long long bytes, size_t refused) {
  std::wstring text = L"Shred " + platform::Counted(files, L"file", L"files") + L" (" + Size(bytes) +
                      L")?\r\n\r\nEach is overwritten, renamed and deleted. Nothing can be undone: no undelete "
                      L"tool brings them back.";
  if (refused) {
    text += L"\r\n\r\n" + platform::Counted(refused, L"path is", L"paths are") + L" refused and stays as it is.";
  }
  return text;
}

std::wstring LargeFolderQuestion(const std::wstring& path, const shredder::Measure& measure) {
  return path + L" holds " + platform::Counted(measure.files, L"file", L"files") + L" (" + Size(measure.bytes) +
         L"). Shred the whole folder?";
}

std::wstring WipeProgressText(const shredder::WipeProgress& progress) {
  return L"Written " + Size(progress.written) + L" of " + Size(progress.free) + TimeLeft(progress.secondsLeft);
}

std::wstring WipeSummary(const std::wstring& root, const shredder::WipeResult& result) {
  std::wstring text;
  switch (result.outcome) {
    case shredder::WipeOutcome::Filled: text = L"Wiped the free space of " + root + L": "; break;
    case shredder::WipeOutcome::Stopped: text = L"Stopped the wipe of " + root + L": "; break;
    case shredder::WipeOutcome::Failed:
      text = L"The wipe of " + root + L" failed (error " + std::to_wstring(result.error) + L"): ";
      break;
  }
  text += Size(result.written) + L" of zeros written. ";
  text += result.freed ? L"The space is free again."
                       : L"The folder \"" + result.folder + L"\" could not be removed; the next start removes it.";
  for (const std::wstring& folder : result.leftAlone) {
    text += L" The folder \"" + folder + L"\" holds files that are not the wipe's and was left as it is.";
  }
  return text;
}

std::wstring LeftoversLine(const std::wstring& folder) { return L"Removed what an interrupted wipe left: " + folder; }

std::wstring LimitsText() {
  return L"What one overwrite cannot reach:\r\n"
         L"- Solid-state disks and USB sticks write a changed block to a new place (wear levelling) and keep the "
         L"old one until their controller reuses it; only the drive's own secure erase, or encrypting the whole "
         L"drive from the start, reaches those blocks. Wiping the free space helps less there.\r\n"
         L"- Very small files (up to about 700 bytes on NTFS) live inside the file table itself; copies made when "
         L"they moved or grew earlier are not reached, and a free-space wipe does not reach the file table.\r\n"
         L"- Compressed, encrypted (EFS) or sparse files, and copy-on-write file systems (ReFS, Btrfs, a disk under "
         L"a virtual machine or snapshot), may place the new bytes in new blocks and leave the old ones.\r\n"
         L"- Copies elsewhere stay: shadow copies and restore points, backups, cloud and sync folders, the page and "
         L"hibernation files, the recycle bin, and the temporary copies programs make while saving.\r\n"
         L"- The file system's journal may keep an old name for a while; the shredder renames each file before "
         L"deleting it so the folder's index no longer holds it.";
}

}  // namespace papermill
