// The settings and list files in any state a disk or a hand editor can leave them: binary, huge,
// with endless lines or nonsense numbers. The program loads what it can, falls back to defaults
// for the rest, runs, and a save afterwards keeps what it did not change.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_fixture.h"
#include "catalogue/plugins.h"
#include "dialogs/cookie_window.h"
#include "dialogs/extension_window.h"
#include "dialogs/locate_window.h"
#include "dialogs/selection_window.h"
#include "dialogs/url_window.h"
#include "filesearch/extension_list.h"
#include "keeplists/keep_list_file.h"
#include "platform/text.h"
#include "platform/window_text.h"
#include "settings/custom_list.h"
#include "settings/item_flags.h"
#include "settings/last_run.h"
#include "settings/options.h"
#include "support/message_recorder.h"

using namespace testing_support;

namespace {

// Every byte value, NULs and line ends among them, in a fixed order.
std::string BinaryBytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(seed >> 16);
  }
  return bytes;
}

class MalformedSettings : public CatalogueTest {
 protected:
  std::wstring settingsFile = settings::SettingsFile(program.Path());

  // Opens the selection window, presses OK, and says whether the window closed without a report.
  bool OpenAndSaveSelection(const std::vector<const wchar_t*>& tick = {}) {
    MessageRecorder messages;
    dialogs::SelectionWindow window(program.Path(), dialogs::SelectionServices{});
    if (!window.Create(nullptr, false)) return false;
    for (const wchar_t* box : tick) SendMessageW(window.CheckBox(box), BM_CLICK, 0, 0);
    SendMessageW(window.Button(L"Command1"), BM_CLICK, 0, 0);
    return messages.shown.empty() && window.Handle() == nullptr;
  }

  void RunEverything() {
    view = RecordingView();
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    run.CleanNow();
  }
};

}  // namespace

TEST_F(MalformedSettings, ABinarySettingsFileReadsAsDefaultsAndASaveMakesItUsable) {
  for (unsigned seed : {1u, 7u}) {
    std::string bytes = BinaryBytes(64 * 1024, seed);
    if (seed == 7u) bytes.replace(0, 2, "\xFF\xFE");  // what the profile functions take for a Unicode file
    WriteText(settingsFile, bytes);

    settings::Options options = settings::LoadOptions(program.Path());
    EXPECT_FALSE(options.exitAfter || options.bossKey || options.windowsStartup);
    EXPECT_EQ(options.days, (std::array<settings::BoxState, 7>{}));
    settings::LastRun last = settings::LoadLastRun(settingsFile);
    EXPECT_EQ(last.cleanedKeys, 0);
    EXPECT_EQ(last.releasedBytes, 0);

    ASSERT_TRUE(OpenAndSaveSelection({L"Check1"}));
    EXPECT_EQ(settings::inifun::ReadIniValue(settingsFile, L"EXPLORER", L"location"), L"1");
    EXPECT_EQ(settings::inifun::ReadIniValue(settingsFile, L"EXPLORER", L"history"), L"0");

    // A run with nothing on still ends, says so, and stores its totals where they can be read back.
    settings::inifun::IniBatch off(settingsFile);
    off.Set(L"EXPLORER", L"location", L"0");
    ASSERT_TRUE(off.Commit());
    RunEverything();
    ASSERT_FALSE(view.rows.empty());
    EXPECT_EQ(view.rows.back().label, L"Nothing was cleaned: no item is ticked in Clean Settings.");
    EXPECT_FALSE(settings::LoadLastRun(settingsFile).lastClean.empty()) << seed;
  }
}

TEST_F(MalformedSettings, ATenMegabyteFileWithEndlessLinesLoadsSavesAndKeepsItsOtherSections) {
  std::string big = "[Big]\r\n";
  for (int i = 0; i < 100; ++i)
    big.append("k").append(std::to_string(i)).append("=").append(100000, 'x').append("\r\n");
  big += std::string(100000, 'y') + "\r\n";  // a whole line without "="
  std::string head = "[Options]\r\nexit=1\r\nCleanTime=9:30\r\nregnum=12\r\n" + std::string(100000, 'z') + "\r\n";
  std::string tail = "[Tail]\r\nkept=yes\r\n";
  WriteText(settingsFile, head + big + tail);

  settings::Options options = settings::LoadOptions(program.Path());
  EXPECT_TRUE(options.exitAfter);
  EXPECT_EQ(options.cleanTime, L"9:30");
  EXPECT_EQ(settings::LoadLastRun(settingsFile).cleanedKeys, 12);
  // A value longer than the read buffer comes back cut, not as garbage.
  EXPECT_EQ(settings::inifun::ReadIniValue(settingsFile, L"Big", L"k5"),
            std::wstring(settings::inifun::kReadBuffer - 1, L'x'));

  ASSERT_TRUE(OpenAndSaveSelection({L"Check2"}));
  options.cleanTime = L"10:00";
  ASSERT_TRUE(settings::SaveOptions(program.Path(), options, {}));
  ASSERT_TRUE(settings::SaveLastRun(settingsFile, SYSTEMTIME{2026, 12, 2, 8, 9, 30, 0, 0}, 40, 100));

  std::string after = ReadText(settingsFile);
  EXPECT_NE(after.find(big), std::string::npos);
  EXPECT_NE(after.find(std::string(100000, 'z') + "\r\n"), std::string::npos);
  EXPECT_EQ(settings::inifun::ReadIniValue(settingsFile, L"Tail", L"kept"), L"yes");
  EXPECT_EQ(settings::inifun::ReadIniValue(settingsFile, L"EXPLORER", L"history"), L"1");
  EXPECT_EQ(settings::inifun::ReadIniValue(settingsFile, L"Options", L"CleanTime"), L"10:00");
  EXPECT_EQ(settings::LoadLastRun(settingsFile).cleanedKeys, 40);
}

TEST_F(MalformedSettings, APluginWithEndlessOrNonsenseLinesListsAndRunsSafely) {
  std::wstring folder = program / L"plus-in";
  std::wstring target = root / L"Target";
  MakeFile(target + L"\\gone0.txt", 5);
  MakeFile(target + L"\\gone1.txt", 5);
  MakeFile(target + L"\\stays.txt", 5);
  TempRegistryKey key;
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"v", L"1");

  // 100,000 lines: the section reader sees what fits its buffer and the run ends.
  std::string endless = "[name]\r\nappname=Endless\r\n[swich]\r\non=1\r\n[file]\r\n";
  for (int i = 0; i < 100000; ++i) {
    endless += std::to_string(i) + "=" + platform::Narrow(target) + ",,gone" + std::to_string(i) + ".txt\r\n";
  }
  WriteText(folder + L"\\Endless.ppe", endless);

  // Keys and roots that are no numbers, negative, too large or empty; none of them names the key.
  std::string subkey = platform::Narrow(key.Subkey());
  std::string nonsense = "[name]\r\nappname=Nonsense\r\n[version]\r\nappver=" + std::string(100000, '9') +
                         "\r\n[swich]\r\non=1\r\n[regtree]\r\n";
  for (const char* root : {"abc", "-5", "99999999999", "", "&H", "&Hzz", "&H1FFFFFFFF", "+", "-", "0"}) {
    nonsense += std::string(root) + "=" + root + "," + subkey + "\r\n";
  }
  nonsense += "=\r\n-2147483647," + subkey + "\r\n";  // after the first empty value nothing runs
  nonsense += "[reg]\r\n-5=-5," + subkey + ",v\r\nabc=abc\r\n99999999999=\r\n";
  nonsense += "[folder]\r\n1=\r\n[fileext]\r\n1=,,\r\n[alltree]\r\n1=,\r\n";
  WriteText(folder + L"\\Nonsense.ppe", nonsense);

  std::vector<catalogue::plugins::PluginEntry> entries = catalogue::plugins::ListPlugins(folder);
  ASSERT_EQ(entries.size(), 2u);
  for (const catalogue::plugins::PluginEntry& entry : entries) {
    EXPECT_TRUE(entry.ticked) << entry.name;
    EXPECT_LE(entry.description.size(), 3 * settings::inifun::kReadBuffer);
  }

  RunEverything();
  ASSERT_FALSE(view.rows.empty());
  EXPECT_EQ(view.rows.back().label, L"Task complete Successfully!");
  ExpectGone(target + L"\\gone0.txt");
  ExpectGone(target + L"\\gone1.txt");
  ExpectKept(target + L"\\stays.txt");
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key.Subkey(), L"v"));
  ExpectKept(program.Path());
}

TEST_F(MalformedSettings, ADamagedCustomListLoadsWhatItCanAndTheRunTouchesNothingElse) {
  std::wstring kept = root / L"kept.txt";
  std::wstring folder = root / L"Folder";
  std::wstring bystander = root / L"bystander.txt";
  MakeFile(kept, 10);
  MakeFile(folder + L"\\in.txt", 10);
  MakeFile(bystander, 10);
  MakeFile(program / L"relative.txt", 10);
  std::string text = "\r\n\r\n" + platform::Narrow(kept) + "\tFile\r\n" +   // valid
                     platform::Narrow(folder) + "\r\n" +                    // no tab: listed, never erased
                     platform::Narrow(root / L"gone.txt") + "\tFile\r\n" +  // no longer there
                     "relative.txt\tFile\r\n" +                             // not a full path
                     platform::Narrow(bystander) + std::string("\0junk\tFile\r\n", 11) +  // cut by a NUL
                     "\t\tFolder\r\n" + BinaryBytes(4096, 3) + "\r\n" + platform::Narrow(folder) +
                     "\tFolder";  // no line end at the end
  std::wstring list = settings::CustomListFile(program.Path());
  WriteText(list, text);

  std::vector<settings::CustomEntry> entries = settings::ReadCustomList(list);
  for (const settings::CustomEntry& entry : entries) {
    EXPECT_TRUE(entry.path.size() >= 3 && (entry.path[1] == L':' || entry.path.starts_with(L"\\\\"))) << entry.path;
    EXPECT_EQ(entry.path.find_first_of(std::wstring(L"\0\r\n", 3)), std::wstring::npos);
  }
  std::vector<settings::CustomRow> rows = settings::LoadCustomRows(list);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].path, kept);
  EXPECT_EQ(rows[1].path, folder);
  EXPECT_EQ(rows[1].type, L"");
  EXPECT_EQ(rows[2].path, folder);
  EXPECT_EQ(rows[2].type, L"Folder");

  // The window loads the same rows and OK stores exactly them, whole lines only.
  ASSERT_TRUE(OpenAndSaveSelection());
  EXPECT_EQ(ReadText(list), platform::Narrow(kept) + "\tFile\r\n" + platform::Narrow(folder) + "\t\r\n" +
                                platform::Narrow(folder) + "\tFolder\r\n");

  WriteText(list, text);
  settings::inifun::WriteIniValue(settingsFile, L"Custom", L"Custom", L"1");
  {
    // A fragment of a damaged line must not be taken relative to where the program runs.
    wchar_t saved[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(program.Path().c_str());
    RunEverything();
    SetCurrentDirectoryW(saved);
  }
  ExpectGone(kept);
  ExpectGone(folder);
  ExpectKept(bystander);
  ExpectKept(program / L"relative.txt");
  ASSERT_FALSE(view.rows.empty());
  EXPECT_EQ(view.rows.front().state, L"Done");

  // A wholly binary list: the window loads, OK writes a list of whole lines, the run ends.
  WriteText(list, BinaryBytes(256 * 1024, 11));
  ASSERT_TRUE(OpenAndSaveSelection());
  for (const settings::CustomEntry& entry : settings::ReadCustomList(list)) ExpectKept(entry.path);
  RunEverything();
  EXPECT_EQ(view.rows.back().label, L"Task complete Successfully!");
  ExpectKept(bystander);
}

TEST(CustomListCodePage, ANameOutsideTheCodePageIsStoredByItsShortNameOrRefused) {
  TempFolder folder;
  // Cyrillic and Japanese are outside the Western code pages these tests run with.
  std::wstring name = folder / L"\u0416\u0443\u043a \u65e5\u672c report.txt";
  MakeFile(name, 10);
  ASSERT_NE(platform::Widen(platform::Narrow(name)), name) << "the system's code page holds the test's name";
  std::optional<std::wstring> stored = settings::StorablePath(name);
  std::wstring list = folder / L"cusd.dat";
  if (stored) {
    // Wine and NTFS with short names give one; it must survive the code page and lead to the file.
    EXPECT_EQ(platform::Widen(platform::Narrow(*stored)), *stored);
    ASSERT_TRUE(settings::WriteCustomList(list, {{name, L"File"}}));
    std::vector<settings::CustomEntry> entries = settings::ReadCustomList(list);
    ASSERT_EQ(entries.size(), 1u);
    wchar_t longName[MAX_PATH] = L"";
    ASSERT_NE(GetLongPathNameW(entries[0].path.c_str(), longName, MAX_PATH), 0u);
    EXPECT_EQ(std::wstring(longName), name);
  }
  EXPECT_EQ(settings::StorablePath(folder / L"plain.txt"), folder / L"plain.txt");

  // A name with no short form (the file is gone) cannot be stored: the write refuses it whole.
  std::wstring gone = folder / L"\u65e5\u672c gone.txt";
  WriteText(list, "old\tFile\r\n");
  EXPECT_FALSE(settings::StorablePath(gone));
  EXPECT_EQ(settings::UnstorablePaths({{folder / L"plain.txt", L"File"}, {gone, L"File"}}),
            std::vector<std::wstring>{gone});
  EXPECT_FALSE(settings::WriteCustomList(list, {{folder / L"plain.txt", L"File"}, {gone, L"File"}}));
  EXPECT_EQ(ReadText(list), "old\tFile\r\n");
}

TEST(CustomListCodePage, OkNamesTheUnstorablePathAndKeepsTheWindowOpen) {
  TempFolder program, data;
  std::wstring name = data / L"\u65e5\u672c notes.txt";
  MakeFile(name, 10);
  std::wstring list = settings::CustomListFile(program.Path());
  WriteText(list, "old\tFile\r\n");
  MessageRecorder messages;
  dialogs::SelectionServices services;
  services.chooseAddCommand = [](HWND, HWND) { return UINT{dialogs::SelectionWindow::kAddFilesCommand}; };
  services.chooseFiles = [&](HWND) {
    return std::optional(engine::normal::FileDialogResult{name, data.Path().size() + 1});
  };
  dialogs::SelectionWindow window(program.Path(), services);
  ASSERT_TRUE(window.Create(nullptr, false));
  SendMessageW(window.Button(L"Command101"), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(window.CustomList()), 1);
  // Gone before OK: no short name can stand for it any more.
  ASSERT_TRUE(DeleteFileW(name.c_str()));
  SendMessageW(window.Button(L"Command1"), BM_CLICK, 0, 0);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find(name), std::wstring::npos);
  EXPECT_NE(window.Handle(), nullptr);
  EXPECT_EQ(ReadText(list), "old\tFile\r\n");
  ExpectGone(settings::SettingsFile(program.Path()));
}

TEST_F(MalformedSettings, KeepListsWithAMegabyteLineLoadAndTheCookieRunStillSparesItsEntries) {
  TempFolder cookies;
  ScopedRegistryValue cookiesFolder{HKEY_CURRENT_USER, kShellFolders, L"Cookies", cookies.Path(), REG_EXPAND_SZ};
  std::wstring keptCookie = cookies / L"me@kept.txt";
  std::wstring otherCookie = cookies / L"me@other.txt";
  WriteText(keptCookie, "kept");
  WriteText(otherCookie, "other");
  std::string huge(1024 * 1024, 'h');
  WriteText(keeplists::CookieKeepListFile(program.Path()), huge + "\r\n" + platform::Narrow(keptCookie) + "\r\n");
  WriteText(keeplists::UrlKeepListFile(program.Path()), "http://" + huge + "\r\nhttp://short.example/\r\n");

  std::vector<std::wstring> urls = keeplists::LoadKeptUrls(program.Path());
  ASSERT_EQ(urls.size(), 2u);
  EXPECT_EQ(urls[0].size(), huge.size() + 7);
  EXPECT_EQ(urls[1], L"http://short.example/");

  {
    dialogs::CookieKeepListWindow window(program.Path());
    ASSERT_TRUE(window.Create(nullptr, false));
    EXPECT_EQ(SendMessageW(window.KeepList(), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(window.KeepList(), LB_GETTEXTLEN, 0, 0), static_cast<LRESULT>(huge.size()));
  }
  {
    dialogs::UrlKeepListWindow window(program.Path());
    ASSERT_TRUE(window.Create(nullptr, false));
    EXPECT_EQ(SendMessageW(window.KeepList(), LB_GETCOUNT, 0, 0), 2);
  }

  Run({{L"EXPLORER", L"cookies"}});
  ExpectKept(keptCookie);
  ExpectGone(otherCookie);
}

TEST(MalformedExtensionList, AnEmptyOrBinaryListLeavesTheSearchWindowsWorking) {
  TempFolder program;
  TempRegistryKey key;
  filesearch::DiskmoteSettings settings(HKEY_CURRENT_USER, key.Subkey());
  std::wstring file = filesearch::ExtensionFile(program.Path());
  std::string binary = BinaryBytes(64 * 1024, 5) + "\r\n*.log\r\n*.a" + std::string(1, '\0') + "b\r\n*.\x01\x02\r\n";
  for (const std::string& content : {std::string(), binary}) {
    WriteText(file, content);
    std::vector<std::wstring> entries = filesearch::ReadExtensions(program.Path());
    for (const std::wstring& entry : entries) {
      EXPECT_TRUE(filesearch::IsValidExtension(entry));
      for (wchar_t c : entry) EXPECT_GE(c, L' ') << "a control character in an entry";
    }
    if (content.empty()) {
      EXPECT_TRUE(entries.empty());
      EXPECT_FALSE(filesearch::ReadJoinedExtensions(program.Path()));
    } else {
      EXPECT_NE(std::find(entries.begin(), entries.end(), L"*.log"), entries.end());
    }

    MessageRecorder messages;
    dialogs::LocateWindow search(program.Path(), settings);
    ASSERT_TRUE(search.Create(nullptr, false));
    std::wstring searchString =
        platform::WindowText(GetDlgItem(search.Handle(), dialogs::LocateWindow::kSearchStringId));
    EXPECT_EQ(searchString.find(L'\0'), std::wstring::npos);

    std::vector<std::wstring> pushed;
    dialogs::ExtensionWindow editor(program.Path(), settings,
                                    [&](const std::wstring& text) { pushed.push_back(text); });
    ASSERT_TRUE(editor.Create(nullptr, false));
    EXPECT_EQ(SendMessageW(editor.FileTypes(), LB_GETCOUNT, 0, 0), static_cast<LRESULT>(entries.size()));
    // The default list can always be restored over whatever the file held.
    ASSERT_TRUE(filesearch::WriteDefaultExtensions(program.Path()));
    EXPECT_EQ(filesearch::ReadExtensions(program.Path()).size(), 4u);
  }
}
