// A cleaning run meets registry values of the wrong type or shape, keys it may not read, and shell
// folders that name a drive root: it reads no garbage, goes on, and erases nothing it was not given.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "engine/allerase.h"
#include "engine/regfun.h"
#include "keeplists/keep_list_file.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "run/clean_run.h"
#include "run/process_values.h"
#include "settings/inifun.h"
#include "support/recorded_call.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// Raw data of any type under a value, put back as it was afterwards.
class ScopedRawValue {
 public:
  ScopedRawValue(HKEY root, const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data,
                 DWORD bytes)
      : saved_(root, subkey, name, L"") {
    RegSetKeyValueW(root, subkey.c_str(), name.c_str(), type, data, bytes);
  }

 private:
  ScopedRegistryValue saved_;
};

struct TypedValue {
  const char* what;
  DWORD type;
  std::vector<BYTE> data;
};

std::vector<BYTE> Bytes(const std::wstring& text) {
  std::vector<BYTE> bytes(text.size() * sizeof(wchar_t));
  std::memcpy(bytes.data(), text.data(), bytes.size());
  return bytes;
}

// Values that are not text, each holding what would read as a folder if taken for text.
std::vector<TypedValue> WrongTypes(const std::wstring& folder) {
  DWORD number = 0x003A0043;  // "C:" when read as two wide characters
  ULONGLONG wide = 0x005C003A0043ULL;
  std::vector<BYTE> dword(sizeof(number)), qword(sizeof(wide));
  std::memcpy(dword.data(), &number, sizeof(number));
  std::memcpy(qword.data(), &wide, sizeof(wide));
  return {
      {"REG_DWORD", REG_DWORD, dword},
      {"REG_QWORD", REG_QWORD, qword},
      {"REG_BINARY", REG_BINARY, Bytes(folder + std::wstring(1, L'\0'))},
      {"REG_MULTI_SZ", REG_MULTI_SZ, Bytes(folder + std::wstring(1, L'\0') + folder + std::wstring(2, L'\0'))},
      {"REG_NONE", REG_NONE, Bytes(folder + std::wstring(1, L'\0'))},
  };
}

// Sets a DACL from its SDDL text on a key for the life of the object, then gives everyone full
// access again so the test can remove the key.
class KeyAccess {
 public:
  KeyAccess(HKEY root, const std::wstring& subkey, const wchar_t* sddl) : root_(root), subkey_(subkey) {
    ok_ = Apply(sddl);
  }
  ~KeyAccess() { Apply(L"D:(A;;KA;;;WD)"); }
  bool ok() const { return ok_; }

 private:
  bool Apply(const wchar_t* sddl) {
    platform::RegKey key;
    if (RegOpenKeyExW(root_, subkey_.c_str(), 0, WRITE_DAC, key.out()) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
      return false;
    }
    LONG status = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    return status == ERROR_SUCCESS;
  }

  HKEY root_;
  std::wstring subkey_;
  bool ok_ = false;
};

// Wine enforces a key's DACL when the key is opened: read and delete access are refused to all.
constexpr wchar_t kNoReadNoDelete[] = L"D:(D;;KRSD;;;WD)(A;;KA;;;WD)";

bool Has(const std::vector<std::wstring>& list, const std::wstring& entry) {
  return std::find(list.begin(), list.end(), entry) != list.end();
}

// Also true for a key that may not be read.
bool KeyPresent(const std::wstring& subkey) {
  platform::RegKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_FILE_NOT_FOUND;
}

std::wstring ReasonFor(const engine::ItemReport& item, const std::wstring& path) {
  for (const engine::LeftRecord& left : item.leftBehind) {
    if (left.path == path) return left.reason;
  }
  return L"";
}

}  // namespace

TEST(RegistryTextReads, ValuesThatAreNotTextReadAsFailedLookups) {
  TempRegistryKey key;
  TempFolder folder;
  for (const TypedValue& value : WrongTypes(folder.Path())) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key.Subkey().c_str(), L"v", value.type, value.data.data(),
                    static_cast<DWORD>(value.data.size()));
    EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"v"), L"Error") << value.what;
    EXPECT_EQ(engine::regfun::ResolveShellFolder(L"v", key.FullPath()), L"Error") << value.what;
    EXPECT_EQ(engine::regfun::ReadRegistryValueRaw(HKEY_CURRENT_USER, key.Subkey(), L"v"), std::nullopt) << value.what;
  }
}

TEST(RegistryTextReads, TextOfAnOddShapeIsReadUpToItsLastWholeCharacter) {
  TempRegistryKey key;
  auto set = [&](DWORD type, const std::wstring& text, DWORD extraBytes) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key.Subkey().c_str(), L"v", type, text.data(),
                    static_cast<DWORD>(text.size() * sizeof(wchar_t)) + extraBytes);
  };
  // No terminating NUL.
  set(REG_SZ, L"C:\\data\\cache", 0);
  EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"v"), L"C:\\data\\cache");
  EXPECT_EQ(engine::regfun::ReadRegistryValueRaw(HKEY_CURRENT_USER, key.Subkey(), L"v")
                .value_or(engine::regfun::RegistryText{})
                .text,
            L"C:\\data\\cache");
  // An odd byte count: the half character at the end is dropped, nothing beyond the data is read.
  std::wstring odd = L"C:\\data\\cacheX";
  odd.back() = 0x4141;
  set(REG_EXPAND_SZ, odd, 1 - static_cast<DWORD>(sizeof(wchar_t)));
  EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"v"), L"C:\\data\\cache");
  set(REG_SZ, L"C", 1 - static_cast<DWORD>(sizeof(wchar_t)));
  EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"v"), L"");
  // An empty value, with no bytes at all.
  set(REG_SZ, L"", 0);
  EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"v"), L"");
  EXPECT_EQ(engine::regfun::ResolveShellFolder(L"v", key.FullPath()), L"");
  // Text after an embedded NUL is not part of the value.
  set(REG_SZ, std::wstring(L"C:\\\0C:\\Windows", 13), 0);
  EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"v"), L"C:\\");
  // The longest readable value without its NUL, and one character more.
  set(REG_SZ, std::wstring(254, L'a'), 0);
  EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"v"), std::wstring(254, L'a'));
  set(REG_SZ, std::wstring(255, L'a'), 0);
  EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"v"), L"Error");
}

TEST(RegistryTextReads, TypedAddressesOfTheWrongTypeAreLeftOutOfTheList) {
  TempRegistryKey key;
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"url1", L"http://one.example/");
  int position = 2;
  for (const TypedValue& value : WrongTypes(L"http://garbage.example/")) {
    std::wstring name = L"url" + std::to_wstring(position++);
    RegSetKeyValueW(HKEY_CURRENT_USER, key.Subkey().c_str(), name.c_str(), value.type, value.data.data(),
                    static_cast<DWORD>(value.data.size()));
  }
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"url" + std::to_wstring(position), L"http://last.example/");
  EXPECT_EQ(keeplists::ListTypedUrls(HKEY_CURRENT_USER, key.Subkey()),
            (std::vector<std::wstring>{L"http://one.example/", L"http://last.example/"}));
}

TEST(RegistryTextReads, AKeyThatMayNotBeReadGivesError) {
  TempRegistryKey key;
  SetString(HKEY_CURRENT_USER, key.Subkey(), L"Cache", L"C:\\somewhere");
  KeyAccess denied(HKEY_CURRENT_USER, key.Subkey(), kNoReadNoDelete);
  ASSERT_TRUE(denied.ok());
  EXPECT_EQ(engine::regfun::ReadRegistryString(key.FullPath(), L"Cache"), L"Error");
  EXPECT_EQ(engine::regfun::ResolveShellFolder(L"Cache", key.FullPath()), L"Error");
}

namespace {

// A run of built-in items with the process values computed from the registry as the program does
// at start-up, and the settings file in a scratch program folder.
class RunWithRegistry : public ::testing::Test {
 protected:
  engine::RunReport Run(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> items) {
    std::wstring settings = program / L"prisd.dat";
    DeleteFileW(settings.c_str());
    for (const auto& [section, key] : items) settings::inifun::WriteIniValue(settings, section, key, L"1");
    view = RecordingView();
    run::CleanRun run(view, program.Path(), run::ComputeProcessValues(), catalogue::Stages());
    run.CleanNow();
    return run.LastReport();
  }
  // The run reached its end, whether or not an item left something behind.
  bool Completed() const { return !view.rows.empty() && view.rows.back().label.starts_with(L"Task complete"); }

  TempFolder program;
  RecordingView view;
};

}  // namespace

TEST_F(RunWithRegistry, ShellFoldersOfTheWrongTypeEraseNothingAndTheRunGoesOn) {
  TempFolder decoy;
  // The shell clears its recent documents through its own lookup of "Recent": a folder of the test.
  TempFolder recent;
  ScopedRegistryValue recentValue(HKEY_CURRENT_USER, kShellFolders, L"Recent", recent.Path());
  MakeFile(decoy / L"cache.bin", 10);
  MakeFile(decoy / L"cookie.txt", 10);
  MakeFile(decoy / L"my chat logs\\log.txt", 10);
  MakeFile(decoy / L"Favorites\\link.url", 10);
  MakeFile(decoy / L"Microsoft\\Windows\\Recent\\doc.lnk", 10);
  for (const TypedValue& value : WrongTypes(decoy.Path())) {
    std::vector<std::unique_ptr<ScopedRawValue>> values;
    for (const wchar_t* name : {L"Cache", L"Cookies", L"Personal", L"Favorites", L"AppData", L"Local AppData"}) {
      values.push_back(std::make_unique<ScopedRawValue>(HKEY_CURRENT_USER, kShellFolders, name, value.type,
                                                        value.data.data(), static_cast<DWORD>(value.data.size())));
    }
    engine::RunReport report = Run({{L"EXPLORER", L"cache"},
                                    {L"EXPLORER", L"cookies"},
                                    {L"EXPLORER", L"favorites"},
                                    {L"WINDOWS", L"recent"},
                                    {L"Messenger", L"msnchat"}});
    EXPECT_TRUE(Completed()) << value.what;
    ASSERT_EQ(report.items.size(), 5u) << value.what;
    EXPECT_EQ(report.Totals().files, 0u) << value.what;
    EXPECT_EQ(report.Totals().folders, 0u) << value.what;
    for (const wchar_t* file : {L"cache.bin", L"cookie.txt", L"my chat logs\\log.txt", L"Favorites\\link.url",
                                L"Microsoft\\Windows\\Recent\\doc.lnk"}) {
      ExpectKept(decoy / file, ::testing::Message() << value.what << " " << file);
    }
  }
}

TEST_F(RunWithRegistry, MessengerAndMailFoldersOfTheWrongTypeEraseNothing) {
  constexpr wchar_t kMail[] = L"Software\\Microsoft\\Windows Mail";
  bool hadMailKey = KeyExists(HKEY_CURRENT_USER, kMail);
  TempFolder store;
  MakeFile(store / L"one.oeaccount", 10);
  {
    for (const TypedValue& value : WrongTypes(store.Path())) {
      ScopedRawValue root(HKEY_CURRENT_USER, kMail, L"Store Root", value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size()));
      engine::RunReport report = Run({{L"mail", L"accounts"}});
      EXPECT_TRUE(Completed()) << value.what;
      EXPECT_EQ(report.Totals().files, 0u) << value.what;
      ExpectKept(store / L"one.oeaccount", ::testing::Message() << value.what);
    }
    // The same value as text is used.
    ScopedRegistryValue root(HKEY_CURRENT_USER, kMail, L"Store Root", store.Path());
    EXPECT_EQ(Run({{L"mail", L"accounts"}}).Totals().files, 1u);
    ExpectGone(store / L"one.oeaccount");
  }
  if (!hadMailKey) RegDeleteKeyW(HKEY_CURRENT_USER, kMail);
}

namespace {

// Files and a folder the test lays at the root of drive C: and removes afterwards; a hidden one
// shows whether any walk reset attributes there.
class RootCanaries {
 public:
  RootCanaries() {
    std::wstring stem = L"C:\\trellwipe-canary-" + std::to_wstring(GetCurrentProcessId());
    file_ = stem + L".txt";
    hidden_ = stem + L"-hidden.log";
    shortcut_ = stem + L".lnk";
    folder_ = stem;
    MakeFile(file_, 10);
    MakeFile(hidden_, 10);
    MakeFile(shortcut_, 10);
    SetFileAttributesW(hidden_.c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(folder_ + L"\\inner.txt", 10);
  }
  ~RootCanaries() {
    for (const std::wstring& path : {file_, hidden_, shortcut_, folder_ + L"\\inner.txt"}) {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder_.c_str());
  }
  void ExpectIntact(const std::wstring& context) const {
    ExpectKept(file_, ::testing::Message() << context);
    ExpectKept(shortcut_, ::testing::Message() << context);
    ExpectKept(folder_ + L"\\inner.txt", ::testing::Message() << context);
    ASSERT_TRUE(Exists(hidden_)) << context;
    EXPECT_TRUE(Attributes(hidden_) & FILE_ATTRIBUTE_HIDDEN) << context;
  }

 private:
  std::wstring file_, hidden_, shortcut_, folder_;
};

// The names directly at the root of drive C:, with their attributes.
std::set<std::pair<std::wstring, DWORD>> RootListing() {
  std::set<std::pair<std::wstring, DWORD>> names;
  WIN32_FIND_DATAW data;
  platform::FindHandle find(FindFirstFileW(L"C:\\*", &data));
  if (!find) return names;
  do {
    names.emplace(data.cFileName, data.dwFileAttributes);
  } while (FindNextFileW(find.get(), &data));
  return names;
}

}  // namespace

TEST_F(RunWithRegistry, ShellFoldersAtADriveRootEraseNothingThere) {
  RootCanaries canaries;
  auto before = RootListing();
  for (const wchar_t* root : {L"C:\\", L"%SystemDrive%\\", L"C:", L"\\", L"\\\\", L"", L"relative\\path", L"C:\\.",
                              L"C:\\Windows\\..", L"%USERPROFILE%\\..\\..", L"c:/"}) {
    std::vector<std::unique_ptr<ScopedRegistryValue>> values;
    for (const wchar_t* name :
         {L"Cache", L"Cookies", L"History", L"Recent", L"Personal", L"Favorites", L"AppData", L"Local AppData"}) {
      values.push_back(
          std::make_unique<ScopedRegistryValue>(HKEY_CURRENT_USER, kShellFolders, name, root, REG_EXPAND_SZ));
    }
    engine::RunReport report = Run({{L"EXPLORER", L"cache"},
                                    {L"EXPLORER", L"cookies"},
                                    {L"EXPLORER", L"favorites"},
                                    {L"EXPLORER", L"inprivate"},
                                    {L"WINDOWS", L"recent"},
                                    {L"Messenger", L"msnchat"},
                                    {L"FIREFOX", L"cache"}});
    std::wstring context = std::wstring(L"value ") + root;
    EXPECT_TRUE(Completed()) << context;
    EXPECT_EQ(report.Totals().files, 0u) << context;
    EXPECT_EQ(report.Totals().folders, 0u) << context;
    canaries.ExpectIntact(context);
    EXPECT_EQ(RootListing(), before) << context;
  }
}

TEST_F(RunWithRegistry, AFolderBelowADriveRootIsStillTheItemsTarget) {
  RootCanaries canaries;
  std::wstring logs = L"C:\\my chat logs";
  bool existed = Exists(logs);
  MakeFile(logs + L"\\chat.txt", 10);
  ScopedRegistryValue personal(HKEY_CURRENT_USER, kShellFolders, L"Personal", L"C:\\", REG_EXPAND_SZ);
  engine::RunReport report = Run({{L"Messenger", L"msnchat"}});
  EXPECT_TRUE(Completed());
  ExpectGone(logs + L"\\chat.txt");
  EXPECT_EQ(report.Totals().files, 1u);
  canaries.ExpectIntact(L"Personal = C:\\");
  if (!existed) RemoveDirectoryW(logs.c_str());
}

TEST(UnreadableKeys, ATreeDeletionRemovesWhatItMayAndNamesWhatStayed) {
  TempRegistryKey top;
  std::wstring tree = top.Subkey() + L"\\tree";
  // The shell's deletion takes the subkeys in name order and stops at the first it cannot delete.
  SetString(HKEY_CURRENT_USER, tree + L"\\a-open", L"v", L"1");
  SetString(HKEY_CURRENT_USER, tree + L"\\b-locked", L"v", L"1");
  SetString(HKEY_CURRENT_USER, tree + L"\\b-locked\\below", L"v", L"1");
  SetString(HKEY_CURRENT_USER, tree + L"\\c-after", L"v", L"1");
  KeyAccess denied(HKEY_CURRENT_USER, tree + L"\\b-locked", kNoReadNoDelete);
  ASSERT_TRUE(denied.ok());
  std::wstring full = L"HKEY_CURRENT_USER\\" + tree;

  Recorded preview = Call(engine::EraseMode::Preview, [&](const engine::EraseContext& erase) {
    EXPECT_EQ(engine::allerase::DeleteRegistryTree(erase, HKEY_CURRENT_USER, tree), 5);
  });
  EXPECT_TRUE(Has(preview.item().keys, full + L"\\a-open"));
  EXPECT_TRUE(Has(preview.item().keys, full + L"\\c-after"));
  EXPECT_FALSE(Has(preview.item().keys, full + L"\\b-locked"));
  EXPECT_EQ(ReasonFor(preview.item(), full + L"\\b-locked"), L"access denied");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, tree + L"\\a-open"));

  Recorded real = Call(engine::EraseMode::Erase, [&](const engine::EraseContext& erase) {
    EXPECT_EQ(engine::allerase::DeleteRegistryTree(erase, HKEY_CURRENT_USER, tree), 5);
  });
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, tree + L"\\a-open"));
  EXPECT_TRUE(Has(real.item().keys, full + L"\\a-open"));
  EXPECT_TRUE(Has(real.item().values, full + L"\\a-open\\v"));
  EXPECT_EQ(ReasonFor(real.item(), full + L"\\b-locked"), L"access denied");
  EXPECT_EQ(ReasonFor(real.item(), full), L"not empty");
  EXPECT_FALSE(Has(real.item().keys, full));
  // Whatever stayed is named as left behind, and only what went is listed as erased.
  for (const wchar_t* child : {L"\\a-open", L"\\b-locked", L"\\c-after"}) {
    bool stayed = KeyPresent(tree + child);
    EXPECT_EQ(Has(real.item().keys, full + child), !stayed) << child;
    EXPECT_EQ(ReasonFor(real.item(), full + child).empty(), !stayed) << child;
  }
}

TEST(UnreadableKeys, AKeyOrValueThatMayNotBeReadIsNamedAsLeftBehind) {
  TempRegistryKey top;
  std::wstring leaf = top.Subkey() + L"\\leaf";
  SetString(HKEY_CURRENT_USER, leaf, L"v", L"1");
  // Wine refuses reading and setting values at the open, but lets the key itself be deleted.
  KeyAccess denied(HKEY_CURRENT_USER, leaf, L"D:(D;;KRKWSD;;;WD)(A;;KA;;;WD)");
  ASSERT_TRUE(denied.ok());
  std::wstring full = L"HKEY_CURRENT_USER\\" + leaf;

  Recorded previewValue = Call(engine::EraseMode::Preview, [&](const engine::EraseContext& erase) {
    EXPECT_EQ(engine::allerase::DeleteRegistryValue(erase, HKEY_CURRENT_USER, leaf, L"v"), 1);
  });
  EXPECT_TRUE(previewValue.item().values.empty());
  EXPECT_EQ(ReasonFor(previewValue.item(), full + L"\\v"), L"access denied");
  Recorded previewKey = Call(engine::EraseMode::Preview, [&](const engine::EraseContext& erase) {
    EXPECT_EQ(engine::allerase::DeleteRegistryKey(erase, HKEY_CURRENT_USER, leaf), 3);
  });
  EXPECT_TRUE(previewKey.item().keys.empty());
  EXPECT_EQ(ReasonFor(previewKey.item(), full), L"access denied");
  EXPECT_TRUE(KeyPresent(leaf));

  Recorded value = Call(engine::EraseMode::Erase, [&](const engine::EraseContext& erase) {
    EXPECT_EQ(engine::allerase::DeleteRegistryValue(erase, HKEY_CURRENT_USER, leaf, L"v"), 1);
  });
  EXPECT_TRUE(value.item().values.empty());
  EXPECT_EQ(ReasonFor(value.item(), full + L"\\v"), L"access denied");
  // The key is reported as it turned out: erased when it went, left behind when it stayed.
  Recorded key = Call(engine::EraseMode::Erase, [&](const engine::EraseContext& erase) {
    EXPECT_EQ(engine::allerase::DeleteRegistryKey(erase, HKEY_CURRENT_USER, leaf), 3);
  });
  bool stayed = KeyPresent(leaf);
  EXPECT_EQ(Has(key.item().keys, full), !stayed);
  EXPECT_EQ(ReasonFor(key.item(), full), stayed ? L"access denied" : L"");
}

TEST(UnreadableKeys, DeepTreesAreListedAndDeletedWithoutExhaustingTheStack) {
  TempRegistryKey top;
  std::wstring deepest = top.Subkey() + L"\\tree";
  for (int level = 0; level < 200; ++level) deepest += L"\\k";
  SetString(HKEY_CURRENT_USER, deepest, L"v", L"1");
  Recorded real = Call(engine::EraseMode::Erase, [&](const engine::EraseContext& erase) {
    engine::allerase::DeleteRegistryTree(erase, HKEY_CURRENT_USER, top.Subkey() + L"\\tree");
  });
  EXPECT_EQ(real.item().keys.size(), 201u);
  EXPECT_EQ(real.item().values.size(), 1u);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, top.Subkey() + L"\\tree"));
}

TEST_F(RunWithRegistry, APluginGoesOnPastAKeyItMayNotReadAndReportsIt) {
  TempRegistryKey top;
  SetString(HKEY_CURRENT_USER, top.Subkey() + L"\\locked", L"v", L"1");
  SetString(HKEY_CURRENT_USER, top.Subkey() + L"\\open", L"v", L"1");
  KeyAccess denied(HKEY_CURRENT_USER, top.Subkey() + L"\\locked", kNoReadNoDelete);
  ASSERT_TRUE(denied.ok());
  TempFolder data;
  MakeFile(data / L"recent.lst", 10);
  std::string subkey = platform::Narrow(top.Subkey());
  WriteText(program / L"plus-in\\Probe.ppe",
            "[name]\r\nappname=Probe\r\n[swich]\r\non=1\r\n[regtree]\r\n1=-2147483647," + subkey +
                "\\locked\r\n2=-2147483647," + subkey + "\\open\r\n[file]\r\n1=" + platform::Narrow(data.Path()) +
                ",,recent.lst\r\n");
  view = RecordingView();
  run::CleanRun run(view, program.Path(), run::ComputeProcessValues(), catalogue::Stages());
  run.CleanNow();
  EXPECT_TRUE(Completed());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, top.Subkey() + L"\\open"));
  ExpectGone(data / L"recent.lst");
  const engine::RunReport& report = run.LastReport();
  ASSERT_EQ(report.items.size(), 1u);
  EXPECT_EQ(ReasonFor(report.items[0], top.FullPath() + L"\\locked"), L"access denied");
  EXPECT_TRUE(report.LeftSomethingBehind());
}
