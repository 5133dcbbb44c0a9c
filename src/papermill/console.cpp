#include "papermill/console.h"

#include <chrono>

#include "papermill/report.h"
#include "platform/format.h"
#include "platform/translation.h"
#include "settings/policies.h"
#include "shredder/free_space.h"
#include "shredder/shred.h"

namespace papermill {

namespace {

constexpr const wchar_t* kUsage = platform::TrLater(
    L"Usage:\r\n"
    L"  Papermill.exe --shred [--random] [--yes] PATH...   overwrite, rename and delete files and folders for\r\n"
    L"      good; a folder of over 1,000 files or 1 GB goes only with --yes\r\n"
    L"  Papermill.exe --wipe-free-space DRIVE      fill the free space of a drive with zeros, then free it\r\n"
    L"Exit codes: 0 done, 1 something was left or refused, 2 bad usage or a failed wipe.");

constexpr auto kProgressEvery = std::chrono::seconds(2);

int Shred(const std::vector<std::wstring>& args, const ConsoleContext& context) {
  shredder::ShredOptions options;
  options.programFolder = context.programFolder;
  options.stop = context.stop;
  std::vector<std::wstring> paths;
  bool yes = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == L"--yes") {
      yes = true;
    } else if (args[i] == L"--random") {
      options.fill = engine::Fill::Random;
    } else {
      paths.push_back(shredder::TypedPath(args[i]));
    }
  }
  if (paths.empty()) {
    context.err(platform::Tr(L"--shred needs at least one path."));
    context.err(platform::Tr(kUsage));
    return kBadUsageOrFailure;
  }
  bool large = false;
  for (const std::wstring& path : yes ? std::vector<std::wstring>{} : paths) {
    shredder::Measure measure = shredder::MeasurePath(path, context.programFolder);
    if (!shredder::IsLargeFolder(measure)) continue;
    context.err(LargeFolderQuestion(path, measure) + platform::Tr(L" Add --yes to shred it."));
    large = true;
  }
  if (large) return kBadUsageOrFailure;
  shredder::ShredResult result = shredder::Shred(paths, options);
  for (const shredder::Left& left : result.left)
    context.out(platform::Fill(platform::Tr(L"Left: {line}"), {{L"line", LeftLine(left)}}));
  context.out(ShredSummary(result));
  return result.left.empty() && !result.stopped ? kDone : kSomethingLeft;
}

int Wipe(const std::vector<std::wstring>& args, const ConsoleContext& context) {
  std::optional<std::wstring> root = args.size() == 2 ? shredder::DriveRoot(args[1]) : std::nullopt;
  if (!root) {
    context.err(platform::Tr(L"--wipe-free-space needs one drive, such as C:"));
    context.err(platform::Tr(kUsage));
    return kBadUsageOrFailure;
  }
  if (GetDriveTypeW(root->c_str()) <= DRIVE_NO_ROOT_DIR) {
    context.err(platform::Fill(platform::Tr(L"There is no drive {drive}"), {{L"drive", *root}}));
    return kBadUsageOrFailure;
  }
  context.out(
      platform::Fill(platform::Tr(L"Wiping the free space of {drive} (Ctrl+C stops, and frees the space again)"),
                     {{L"drive", *root}}));
  auto last = std::chrono::steady_clock::now();
  shredder::WipeOptions options;
  options.stop = context.stop;
  options.limit = context.wipeLimit;
  options.progress = [&](const shredder::WipeProgress& progress) {
    auto now = std::chrono::steady_clock::now();
    if (now - last < kProgressEvery) return;
    last = now;
    context.out(WipeProgressText(progress));
  };
  shredder::WipeResult result = shredder::WipeFreeSpace(*root, options);
  context.out(WipeSummary(*root, result));
  if (result.outcome == shredder::WipeOutcome::Failed || !result.freed) return kBadUsageOrFailure;
  return result.outcome == shredder::WipeOutcome::Filled ? kDone : kSomethingLeft;
}

}  // namespace

std::optional<std::wstring> Refusal(bool shred) {
  const settings::Policies& policies = settings::PoliciesInForce();
  if (shred)
    return settings::TurnedOff(policies, L"ShredderAllowed") ? std::optional(platform::Tr(settings::kShredderOff))
                                                             : std::nullopt;
  return settings::TurnedOff(policies, L"FreeSpaceWipeAllowed")
             ? std::optional(platform::Tr(settings::kFreeSpaceWipeOff))
             : std::nullopt;
}

bool IsConsoleForm(const std::vector<std::wstring>& args) { return !args.empty() && args[0].starts_with(L"--"); }

int RunConsole(const std::vector<std::wstring>& args, const ConsoleContext& context) {
  for (const std::wstring& folder : shredder::RemoveWipeLeftovers()) context.out(LeftoversLine(folder));
  if (args.empty() || args[0] == L"--help") {
    context.out(platform::Tr(kUsage));
    context.out(LimitsText());
    return args.empty() ? kBadUsageOrFailure : kDone;
  }
  const bool shred = args[0] == L"--shred";
  if (shred || args[0] == L"--wipe-free-space") {
    if (std::optional<std::wstring> refused = Refusal(shred)) {
      context.err(*refused);
      return kSomethingLeft;
    }
    return shred ? Shred(args, context) : Wipe(args, context);
  }
  context.err(platform::Fill(platform::Tr(L"Unknown option {option}"), {{L"option", args[0]}}));
  context.err(platform::Tr(kUsage));
  return kBadUsageOrFailure;
}

ULONGLONG WipeLimitFromEnvironment() {
  wchar_t text[32] = L"";
  DWORD n = GetEnvironmentVariableW(L"PAPERMILL_WIPE_LIMIT", text, 32);
  if (n == 0 || n >= 32) return 0;
  std::optional<double> value = platform::ParseNumber(text);
  return value && *value > 0 ? static_cast<ULONGLONG>(*value) : 0;
}

}  // namespace papermill
