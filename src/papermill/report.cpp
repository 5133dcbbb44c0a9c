#include "papermill/report.h"

#include <cmath>

#include "platform/format.h"
#include "platform/translation.h"

namespace papermill {

namespace {

std::wstring TimeLeft(double seconds) {
  if (seconds < 0) return L"";
  if (seconds < 90) {
    const size_t left = static_cast<size_t>(std::ceil(seconds));
    return platform::FillCount(platform::TrPlural(L", about {count} second left", L", about {count} seconds left",
                                                  left),
                               left);
  }
  const size_t left = static_cast<size_t>(std::ceil(seconds / 60));
  return platform::FillCount(platform::TrPlural(L", about {count} minute left", L", about {count} minutes left", left),
                             left);
}

std::wstring Files(size_t files) {
  return platform::FillCount(platform::TrPlural(L"{count} file", L"{count} files", files), files);
}

}  // namespace

std::wstring Size(unsigned long long bytes) {
  // A few bytes are not rounded up to a kilobyte.
  const size_t few = static_cast<size_t>(bytes);
  return bytes < 1024 ? platform::FillCount(platform::TrPlural(L"{count} byte", L"{count} bytes", few), few)
                      : platform::SizeText(static_cast<double>(bytes));
}

std::wstring MeasureText(const shredder::Measure& measure) {
  if (!measure.refusal.empty()) return measure.refusal;
  if (!measure.folder) return Size(measure.bytes);
  return Files(measure.files) + L", " + Size(measure.bytes);
}

std::wstring LeftLine(const shredder::Left& left) { return left.path + L" (" + left.reason + L")"; }

std::wstring ShredSummary(const shredder::ShredResult& result) {
  std::wstring text = platform::Fill(platform::Tr(L"Shredded {files} ({size})"),
                                     {{L"files", Files(result.files)}, {L"size", Size(result.bytes)}});
  if (result.folders) {
    text += platform::FillCount(platform::TrPlural(L" and {count} folder", L" and {count} folders", result.folders),
                                result.folders);
  }
  if (result.links) {
    text += platform::FillCount(platform::TrPlural(L", removed {count} link", L", removed {count} links", result.links),
                                result.links);
  }
  text += platform::FillCount(platform::Tr(L"; {count} left"), result.left.size());
  if (result.stopped) text += platform::Tr(L", stopped");
  return text + L".";
}

std::wstring ShredQuestion(size_t files, unsigned long long bytes, size_t refused) {
  std::wstring text =
      platform::Fill(platform::Tr(L"Shred {files} ({size})?\r\n\r\nEach is overwritten, renamed and "
                                  L"deleted. Nothing can be undone: no undelete tool brings them back."),
                     {{L"files", Files(files)}, {L"size", Size(bytes)}});
  if (refused) {
    text +=
        L"\r\n\r\n" + platform::FillCount(platform::TrPlural(L"{count} path is refused and stays as it is.",
                                                             L"{count} paths are refused and stays as it is.", refused),
                                          refused);
  }
  return text;
}

std::wstring LargeFolderQuestion(const std::wstring& path, const shredder::Measure& measure) {
  return platform::Fill(platform::Tr(L"{path} holds {files} ({size}). Shred the whole folder?"),
                        {{L"path", path}, {L"files", Files(measure.files)}, {L"size", Size(measure.bytes)}});
}

std::wstring WipeProgressText(const shredder::WipeProgress& progress) {
  return platform::Fill(platform::Tr(L"Written {written} of {free}"),
                        {{L"written", Size(progress.written)}, {L"free", Size(progress.free)}}) +
         TimeLeft(progress.secondsLeft);
}

std::wstring WipeSummary(const std::wstring& root, const shredder::WipeResult& result) {
  const wchar_t* outcome = L"";
  switch (result.outcome) {
    case shredder::WipeOutcome::Filled: outcome = platform::Tr(L"Wiped the free space of {drive}: "); break;
    case shredder::WipeOutcome::Stopped: outcome = platform::Tr(L"Stopped the wipe of {drive}: "); break;
    case shredder::WipeOutcome::Failed: outcome = platform::Tr(L"The wipe of {drive} failed (error {error}): "); break;
  }
  std::wstring text = platform::Fill(outcome, {{L"drive", root}, {L"error", std::to_wstring(result.error)}});
  text += platform::Fill(platform::Tr(L"{size} of zeros written. "), {{L"size", Size(result.written)}});
  text += result.freed ? platform::Tr(L"The space is free again.")
                       : platform::Fill(platform::Tr(L"The folder \"{folder}\" could not be removed; the next start "
                                                     L"removes it."),
                                        {{L"folder", result.folder}});
  for (const std::wstring& folder : result.leftAlone) {
    text += platform::Fill(platform::Tr(L" The folder \"{folder}\" holds files that are not the wipe's and was left "
                                        L"as it is."),
                           {{L"folder", folder}});
  }
  return text;
}

std::wstring LeftoversLine(const std::wstring& folder) {
  return platform::Fill(platform::Tr(L"Removed what an interrupted wipe left: {folder}"), {{L"folder", folder}});
}

std::wstring LimitsText() {
  return platform::Tr(
      L"What one overwrite cannot reach:\r\n"
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
      L"deleting it so the folder's index no longer holds it.");
}

}  // namespace papermill
