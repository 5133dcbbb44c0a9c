// --keep-path, --unkeep-path and --kept-paths: the list of files and folders to keep, from the console.
#include "cli/cli.h"
#include "engine/kept_paths_file.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace cli {

namespace {

std::wstring KeptPathsText(const std::vector<engine::KeptPathLine>& entries) {
  std::wstring text;
  for (const engine::KeptPathLine& entry : entries) {
    text += entry.path +
            (entry.from.empty() ? L"" : platform::Fill(platform::Tr(L" (kept from {from})"), {{L"from", entry.from}})) +
            L"\n";
  }
  return text;
}

std::string KeptPathsJson(const std::vector<engine::KeptPathLine>& entries) {
  std::string json = "[";
  for (const engine::KeptPathLine& entry : entries) {
    if (json.size() > 1) json += ',';
    json += "{\"path\":" + Quote(entry.path) + ",\"from\":" + Quote(entry.from) + "}";
  }
  return json + "]\n";
}

}  // namespace

int KeptPathsAction(const Arguments& arguments, const std::wstring& programFolder, Output& output, Reply& reply) {
  switch (arguments.action) {
    case Action::KeptPaths: {
      platform::Result<std::vector<engine::KeptPathLine>> entries = engine::LoadKeptPaths(programFolder);
      if (!entries) {
        reply.why = entries.Reason() + L"\n";
        return kExitBadArguments;
      }
      output.out += arguments.json ? KeptPathsJson(*entries) : platform::ToUtf8(KeptPathsText(*entries));
      reply.reported = true;
      return kExitDone;
    }
    case Action::KeepPath: {
      platform::Result<engine::KeptPathLine> kept =
          engine::KeepPath(programFolder, arguments.path, engine::kKeptFromConsole);
      if (!kept) {
        reply.why = platform::Fill(platform::Tr(L"Not kept: {reason}"), {{L"reason", kept.Reason()}}) + L"\n";
        return kExitBadArguments;
      }
      reply.said = platform::Fill(platform::Tr(L"Kept: {line}"), {{L"line", kept->path}}) + L"\n";
      reply.stored = ",\"kept\":" + Quote(kept->path);
      return kExitDone;
    }
    case Action::UnkeepPath: {
      platform::Result<std::vector<engine::KeptPathLine>> removed = engine::UnkeepPath(programFolder, arguments.path);
      if (!removed) {
        reply.why = platform::Fill(platform::Tr(L"Not taken off: {reason}"), {{L"reason", removed.Reason()}}) + L"\n";
        return kExitBadArguments;
      }
      std::vector<std::wstring> paths;
      for (const engine::KeptPathLine& entry : *removed) paths.push_back(entry.path);
      for (const std::wstring& path : paths) {
        reply.said += platform::Fill(platform::Tr(L"Taken off: {line}"), {{L"line", path}}) + L"\n";
      }
      reply.stored = ",\"removed\":" + Strings(paths);
      return kExitDone;
    }
    default: return -1;
  }
}

}  // namespace cli
