#pragma once
// "Keep from cleaning with Trellwipe" in Explorer's menu: the program started with "/keep" and the
// files and folders chosen adds them to the files and folders to keep, and says what it kept and what
// it could not.
#include <optional>
#include <string>
#include <vector>

namespace ui {

// The option Explorer's verb starts the program with, before the path of what was chosen.
constexpr wchar_t kKeepOption[] = L"/keep";

// The paths after "/keep" in a command line as Windows splits it (the program's own name first);
// none when the command line does not start with the option.
std::optional<std::vector<std::wstring>> PathsToKeep(const std::wstring& commandLine);

// Keeps each path, then tells the user in one message: what is kept now, and what is not, and why.
// False when any path was not kept.
bool KeepFromExplorer(const std::wstring& programFolder, const std::vector<std::wstring>& paths);

}  // namespace ui
