#pragma once
// What Papermill tells the user, in its window and on the console alike.
#include <string>

#include "platform/translation.h"
#include "shredder/free_space.h"
#include "shredder/shred.h"

namespace papermill {

// The window's caption and the name of the messages, looked up where it is shown.
inline constexpr const wchar_t* kTitle = platform::TrLater(L"Papermill File Shredder");

// "10 bytes", "3 KB", "1.20 GB".
std::wstring Size(unsigned long long bytes);
// What a path in the queue holds: "3 files, 1.20 MB" for a folder, the size of a file, or why it is refused.
std::wstring MeasureText(const shredder::Measure& measure);
// "path (reason)": one thing that stayed.
std::wstring LeftLine(const shredder::Left& left);
// "Shredded 3 files (3.57 MB) and 1 folder; 1 left." and ", stopped" when a stop cut it short.
std::wstring ShredSummary(const shredder::ShredResult& result);
// The question before anything is touched: how many files, how large, and that nothing can be undone.
std::wstring ShredQuestion(size_t files, unsigned long long bytes, size_t refused);
// The second question about one large folder, naming its count and size.
std::wstring LargeFolderQuestion(const std::wstring& path, const shredder::Measure& measure);
// "Written 1.20 GB of 4.00 GB, about 2 minutes left"
std::wstring WipeProgressText(const shredder::WipeProgress& progress);
// What a wipe did, and that the space is free again (or where it is not).
std::wstring WipeSummary(const std::wstring& root, const shredder::WipeResult& result);
// The folders an interrupted wipe left, removed at the start.
std::wstring LeftoversLine(const std::wstring& folder);
// What a shredder can and cannot promise; the window's help and the console's --help end with it.
std::wstring LimitsText();

}  // namespace papermill
