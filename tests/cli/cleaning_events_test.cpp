// The events of a cleaning as trellwipe-cli.exe writes them, read back through Wine: its ReportEventW
// keeps nothing, and prints each event's number on the fixme channel and each of its strings on the
// eventlog channel (trace for information, warn for a warning). The emulator keeps the output of the
// test and of the programs it starts in one file on drive C: (TRELLWIPE_WINE_OUTPUT).
#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/text.h"
#include "run/event_log.h"
#include "settings/custom_list.h"
#include "support/mini_json.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

struct WrittenEvent {
  DWORD id = 0;
  WORD type = 0;
  std::vector<std::wstring> strings;
  std::set<std::string> channels;  // "trace", "warn"
};

// A string as Wine's debugstr_w shows it, L"C:\\x" without its quotes and escapes.
std::wstring Unquoted(const std::string& shown) {
  std::wstring text;
  for (size_t at = 2; at + 1 < shown.size(); ++at) {
    if (shown[at] == '\\' && at + 2 < shown.size()) ++at;
    text += static_cast<wchar_t>(static_cast<unsigned char>(shown[at]));
  }
  return text;
}

std::vector<WrittenEvent> EventsIn(const std::string& output) {
  std::vector<WrittenEvent> events;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // (00000000CAFE4242,0x0004,0x0000,0x000003e8,...): the handle, the type, the category, the number.
    if (size_t call = line.find(":fixme:advapi:ReportEventW ("); call != std::string::npos) {
      WrittenEvent event;
      const size_t type = line.find(",0x", call);
      const size_t id = line.find(",0x", line.find(",0x", type + 1) + 1);
      event.type = static_cast<WORD>(std::stoul(line.substr(type + 1), nullptr, 16));
      event.id = std::stoul(line.substr(id + 1), nullptr, 16);
      events.push_back(event);
      continue;
    }
    for (const std::string channel : {"trace", "warn"}) {
      const std::string mark = ":" + channel + ":eventlog:ReportEventW ";
      if (size_t at = line.find(mark); at != std::string::npos && !events.empty()) {
        events.back().strings.push_back(Unquoted(line.substr(at + mark.size())));
        events.back().channels.insert(channel);
      }
    }
  }
  return events;
}

std::wstring Field(const WrittenEvent& event, const std::wstring& name) {
  for (const run::EventKind& kind : run::EventKinds()) {
    if (kind.id != event.id) continue;
    for (size_t i = 0; i < kind.fields.size() && i < event.strings.size(); ++i) {
      if (kind.fields[i] == name) return event.strings[i];
    }
  }
  ADD_FAILURE() << "event " << event.id << " has no field " << platform::Narrow(name);
  return L"";
}

std::string ReadFrom(const std::wstring& file, LONGLONG offset) {
  platform::FileHandle handle(
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER at{};
  at.QuadPart = offset;
  if (!handle || !SetFilePointerEx(handle.get(), at, nullptr, FILE_BEGIN)) return "";
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(handle.get(), buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
  return text;
}

LONGLONG SizeOf(const std::wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct Cleaned {
  Json report;
  std::vector<WrittenEvent> events;
};

// trellwipe-cli.exe copied into `program` (the emulator puts it into the fixture folder) cleans its
// custom items with Wine's event channels on.
Cleaned CleanCustomItems(const TempFolder& program, const std::vector<settings::CustomEntry>& custom) {
  wchar_t fixture[MAX_PATH] = L"", wineOutput[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH);
  GetEnvironmentVariableW(L"TRELLWIPE_WINE_OUTPUT", wineOutput, MAX_PATH);
  const std::wstring cli = program / L"trellwipe-cli.exe";
  EXPECT_TRUE(CopyFileW((std::wstring(fixture) + L"\\trellwipe-cli.exe").c_str(), cli.c_str(), FALSE));
  settings::WriteCustomList(settings::CustomListFile(program.Path()), custom);
  const LONGLONG before = SizeOf(wineOutput);

  ScopedEnvironment channels(L"WINEDEBUG", L"trace+eventlog,warn+eventlog");
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  platform::FileHandle read, write;
  CreatePipe(read.out(), write.out(), &inherit, 0);
  SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write.get();
  std::wstring command = L"\"" + cli + L"\" --clean --json --only Custom/Custom";
  PROCESS_INFORMATION started{};
  Cleaned cleaned;
  if (!CreateProcessW(cli.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
    ADD_FAILURE() << "trellwipe-cli.exe did not start: " << GetLastError();
    return cleaned;
  }
  platform::UniqueHandle process(started.hProcess), thread(started.hThread);
  write.reset();
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read.get(), buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
  WaitForSingleObject(process.get(), INFINITE);
  cleaned.report = JsonReader::Parse(out);
  cleaned.events = EventsIn(ReadFrom(wineOutput, before));
  return cleaned;
}

}  // namespace

TEST(CleaningEvents, ACleaningWritesOneInformationEventWithTheFiguresOfItsRun) {
  TempFolder program, own;
  for (const auto& [name, size] :
       {std::pair{L"notes.txt", 777}, std::pair{L"Drafts\\a.doc", 10}, std::pair{L"Drafts\\deep\\b.doc", 20}}) {
    MakeFile(own / name, size);
  }
  const Cleaned cleaned = CleanCustomItems(program, {{own / L"notes.txt", L"File"}, {own / L"Drafts", L"Folder"}});
  ASSERT_EQ(cleaned.events.size(), 1u);
  const WrittenEvent& event = cleaned.events[0];
  const Json& totals = cleaned.report["totals"];
  EXPECT_EQ(event.type, EVENTLOG_INFORMATION_TYPE);
  EXPECT_EQ(event.channels, std::set<std::string>{"trace"});
  EXPECT_EQ(Field(event, L"user"), run::CurrentUserName());
  EXPECT_EQ(Field(event, L"started by"), L"console");
  EXPECT_EQ(Field(event, L"items run"), std::to_wstring(cleaned.report["items"].size()));
  EXPECT_EQ(Field(event, L"files removed"), L"3");
  EXPECT_EQ(Field(event, L"files removed"), std::to_wstring(static_cast<size_t>(totals["files"].number)));
  EXPECT_EQ(Field(event, L"bytes removed"), L"807");
  EXPECT_EQ(Field(event, L"bytes removed"), std::to_wstring(static_cast<size_t>(totals["bytes"].number)));
  EXPECT_EQ(Field(event, L"registry entries removed"),
            std::to_wstring(static_cast<size_t>(totals["registryEntries"].number)));
  EXPECT_EQ(Field(event, L"left behind"), L"0");
  EXPECT_EQ(Field(event, L"refused"), L"0");
  EXPECT_EQ(Field(event, L"ended"), L"complete");
}

TEST(CleaningEvents, WhatTheGuardRefusedIsAWarningEventOfItsOwn) {
  TempFolder program;
  // The program's own folder is never erased, by any item.
  const Cleaned cleaned = CleanCustomItems(program, {{program.Path(), L"Folder"}});
  ASSERT_EQ(cleaned.events.size(), 2u);
  const Json& left = cleaned.report["items"][0]["leftBehind"];
  ASSERT_GE(left.size(), 1u);
  EXPECT_EQ(Field(cleaned.events[0], L"refused"), std::to_wstring(left.size()));
  const WrittenEvent& warning = cleaned.events[1];
  EXPECT_EQ(warning.type, EVENTLOG_WARNING_TYPE);
  EXPECT_EQ(warning.channels, std::set<std::string>{"warn"});
  EXPECT_NE(warning.id, cleaned.events[0].id);
  EXPECT_EQ(Field(warning, L"refused"), std::to_wstring(left.size()));
  EXPECT_EQ(platform::Narrow(Field(warning, L"the first")), left[0]["path"].text);
  EXPECT_EQ("refused: " + platform::Narrow(Field(warning, L"why")), left[0]["reason"].text);
}

// A moment an organisation fixes is the policy's doing; any other trigger, or an unfixed moment,
// is named as it was.
TEST(CleaningEvents, AMomentAPolicyFixesIsStartedByThePolicy) {
  settings::Policies policies;
  policies.numbers[L"CleanAtStart"] = 1;
  policies.texts[L"CleanDays"] = L"0111110";
  struct Case {
    run::Trigger trigger;
    run::Trigger shown;
  };
  const Case cases[] = {{run::Trigger::Start, run::Trigger::Policy},
                        {run::Trigger::Schedule, run::Trigger::Policy},
                        {run::Trigger::Shutdown, run::Trigger::Shutdown},
                        {run::Trigger::Button, run::Trigger::Button},
                        {run::Trigger::Console, run::Trigger::Console}};
  for (const Case& c : cases) {
    EXPECT_STREQ(run::TriggerName(run::StartedBy(c.trigger, policies)), run::TriggerName(c.shown))
        << run::TriggerName(c.trigger);
  }
  EXPECT_STREQ(run::TriggerName(run::StartedBy(run::Trigger::Start, {})), L"start");
}
