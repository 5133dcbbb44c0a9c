#include "keeplists/keep_list_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/handles.h"
#include "support/test_support.h"

using namespace keeplists;
using namespace testing_support;

namespace {

using Lines = std::vector<std::wstring>;

void SetDword(const std::wstring& subkey, const std::wstring& name, DWORD value) {
  platform::RegKey key;
  RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
  RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

class KeepListFile : public ::testing::Test {
 protected:
  TempFolder program;
  std::wstring urls = UrlKeepListFile(program.Path());
  std::wstring cookies = CookieKeepListFile(program.Path());
};

}  // namespace

TEST_F(KeepListFile, MissingAndEmptyFilesHoldNoEntries) {
  EXPECT_FALSE(KeepListExists(urls));
  EXPECT_EQ(ReadLines(urls), Lines{});
  EXPECT_EQ(LoadKeptUrls(program.Path()), Lines{});
  WriteText(urls, "");
  EXPECT_TRUE(KeepListExists(urls));
  EXPECT_EQ(ReadLines(urls), Lines{});
  EXPECT_EQ(LoadKeptUrls(program.Path()), Lines{});
  // A folder of that name is no keep list.
  MakeFolders(cookies);
  EXPECT_FALSE(KeepListExists(cookies));
  EXPECT_EQ(LoadKeptCookies(program.Path()), Lines{});
}

TEST_F(KeepListFile, LinesEndWithCrLfOrLfAndTheLastNeedsNoEnd) {
  WriteText(urls, "http://a/\r\nhttp://b/\nhttp://c/");
  EXPECT_EQ(ReadLines(urls), (Lines{L"http://a/", L"http://b/", L"http://c/"}));
  // Empty lines are entries; a CR inside a line is text.
  WriteText(urls, "\r\nx\ry\r\n\n");
  EXPECT_EQ(ReadLines(urls), (Lines{L"", L"x\ry", L""}));
  WriteText(urls, "\r\n");
  EXPECT_EQ(ReadLines(urls), Lines{L""});
}

TEST_F(KeepListFile, TextIsInTheSystemCodePage) {
  WriteText(cookies, "C:\\Cookies\\caf\xe9@site.txt\r\n");
  Lines lines = ReadLines(cookies);
  ASSERT_EQ(lines.size(), 1u);
  if (GetACP() == 1252) {
    EXPECT_EQ(lines[0], L"C:\\Cookies\\caf\u00e9@site.txt");
  }
  ASSERT_TRUE(RewriteKeepList(cookies, lines));
  EXPECT_EQ(ReadText(cookies), "C:\\Cookies\\caf\xe9@site.txt\r\n");
  ASSERT_TRUE(AppendToKeepList(cookies, lines[0]));
  EXPECT_EQ(ReadText(cookies), "C:\\Cookies\\caf\xe9@site.txt\r\nC:\\Cookies\\caf\xe9@site.txt\r\n");
}

TEST_F(KeepListFile, TrailingBlanksGoOnLoadAndOnSaveButTheRunSeesLinesUnchanged) {
  WriteText(cookies, "C:\\c\\a.txt  \r\n  C:\\c\\b.txt\t\r\n \t \r\n");
  EXPECT_EQ(ReadLines(cookies), (Lines{L"C:\\c\\a.txt  ", L"  C:\\c\\b.txt\t", L" \t "}));
  EXPECT_EQ(LoadKeptCookies(program.Path()), (Lines{L"C:\\c\\a.txt", L"  C:\\c\\b.txt", L""}));

  ASSERT_TRUE(AppendToKeepList(urls, L"http://a/ \t "));
  ASSERT_TRUE(RewriteKeepList(cookies, {L"x  ", L" y"}));
  EXPECT_EQ(ReadText(urls), "http://a/\r\n");
  EXPECT_EQ(ReadText(cookies), "x\r\n y\r\n");
}

TEST_F(KeepListFile, AddAppendsOneLineAndCreatesTheFile) {
  ASSERT_TRUE(AppendToKeepList(urls, L"http://a/"));
  ExpectKept(program / L"keepurl.dat");
  // Nothing selected adds an empty entry; the same address twice gives two entries.
  ASSERT_TRUE(AppendToKeepList(urls, L""));
  ASSERT_TRUE(AppendToKeepList(urls, L"http://a/"));
  EXPECT_EQ(ReadText(urls), "http://a/\r\n\r\nhttp://a/\r\n");
  EXPECT_EQ(LoadKeptUrls(program.Path()), (Lines{L"http://a/", L"", L"http://a/"}));

  ASSERT_TRUE(AppendToKeepList(cookies, L"C:\\c\\a.txt"));
  EXPECT_EQ(ReadText(program / L"keepcook.dat"), "C:\\c\\a.txt\r\n");
}

TEST_F(KeepListFile, AddAfterALastLineWithoutEndStartsANewLine) {
  WriteText(urls, "http://a/");
  ASSERT_TRUE(AppendToKeepList(urls, L"http://b/"));
  EXPECT_EQ(ReadText(urls), "http://a/\r\nhttp://b/\r\n");
}

TEST_F(KeepListFile, AddOrRewriteInAMissingFolderFailsAndCreatesNothing) {
  std::wstring missing = UrlKeepListFile(program / L"gone");
  EXPECT_FALSE(AppendToKeepList(missing, L"http://a/"));
  EXPECT_FALSE(RewriteKeepList(missing, {L"http://a/"}));
  EXPECT_EQ(FolderNames(program.Path()), Lines{});
}

TEST_F(KeepListFile, RemoveRewritesTheWholeFileAndLeavesNoTempFile) {
  for (const wchar_t* entry : {L"C:\\c\\a.txt", L"C:\\c\\b.txt", L"C:\\c\\a.txt"}) {
    ASSERT_TRUE(AppendToKeepList(cookies, entry));
  }
  // The window drops the first of two equal entries and saves what it still shows.
  Lines shown = LoadKeptCookies(program.Path());
  shown.erase(shown.begin());
  ASSERT_TRUE(RewriteKeepList(cookies, shown));
  EXPECT_EQ(ReadText(cookies), "C:\\c\\b.txt\r\nC:\\c\\a.txt\r\n");
  EXPECT_EQ(FolderNames(program.Path()), Lines{L"keepcook.dat"});

  // Removing the last entry leaves the file present and empty.
  ASSERT_TRUE(RewriteKeepList(cookies, {}));
  EXPECT_TRUE(KeepListExists(cookies));
  EXPECT_EQ(ReadText(cookies), "");
  EXPECT_EQ(LoadKeptCookies(program.Path()), Lines{});
  EXPECT_EQ(FolderNames(program.Path()), Lines{L"keepcook.dat"});
}

TEST_F(KeepListFile, ARewriteThatCannotReplaceTheFileKeepsTheOldList) {
  WriteText(urls, "http://a/\r\nhttp://b/\r\n");
  {
    // Another program reading the list: the file cannot be replaced while it is open.
    platform::FileHandle reader(
        CreateFileW(urls.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    EXPECT_FALSE(RewriteKeepList(urls, {L"http://b/"}));
  }
  EXPECT_EQ(ReadText(urls), "http://a/\r\nhttp://b/\r\n");
  EXPECT_EQ(FolderNames(program.Path()), Lines{L"keepurl.dat"});
  // A folder in the way of the file is never replaced either.
  MakeFolders(cookies);
  EXPECT_FALSE(RewriteKeepList(cookies, {L"x"}));
  EXPECT_EQ(FolderNames(program.Path()), (Lines{L"keepcook.dat", L"keepurl.dat"}));
}

TEST(CurrentCookies, ListsFilesWhoseNameContainsDotTxtWithFullPaths) {
  TempFolder folder;
  for (const wchar_t* name : {L"user@a.txt", L"user@b.TXT", L"user@c.txt.old", L"index.dat", L"txt"}) {
    MakeFile(folder / name, 10);
  }
  MakeFile(folder / L"hidden@d.txt", 10);
  SetFileAttributesW((folder / L"hidden@d.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  MakeFolders(folder / L"sub.txt");
  MakeFile(folder / L"sub.txt\\user@e.txt", 10);

  Lines listed = ListCurrentCookies(folder.Path());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (Lines{folder / L"hidden@d.txt", folder / L"user@a.txt", folder / L"user@c.txt.old"}));
  EXPECT_EQ(ListCurrentCookies(folder / L"missing"), Lines{});
  EXPECT_EQ(ListCurrentCookies(L"Error"), Lines{});
}

class TypedUrls : public ::testing::Test {
 protected:
  TempRegistryKey key;
  Lines List() { return ListTypedUrls(HKEY_CURRENT_USER, key.Subkey()); }
  void Set(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ) {
    SetString(HKEY_CURRENT_USER, key.Subkey(), name, value, type);
  }
};

TEST_F(TypedUrls, ListsStringValuesAndSkipsOthers) {
  Set(L"url1", L"http://a/");
  SetDword(key.Subkey(), L"url2", 7);
  Set(L"url3", L"%USERPROFILE%\\page.htm", REG_EXPAND_SZ);
  Set(L"url4", L"");
  Set(L"url5", L"http://b/  ");
  EXPECT_EQ(List(), (Lines{L"http://a/", L"%USERPROFILE%\\page.htm", L"", L"http://b/  "}));
}

TEST_F(TypedUrls, EndsAtTheFirstValueTooLongForTheBuffers) {
  std::wstring longest(254, L'a');
  Set(L"url1", longest);
  Set(L"url2", std::wstring(255, L'b'));
  Set(L"url3", L"http://c/");
  EXPECT_EQ(List(), Lines{longest});

  TempRegistryKey names;
  SetString(HKEY_CURRENT_USER, names.Subkey(), L"url1", L"http://a/");
  SetString(HKEY_CURRENT_USER, names.Subkey(), L"url2" + std::wstring(250, L'x'), L"http://b/");
  SetString(HKEY_CURRENT_USER, names.Subkey(), L"url2" + std::wstring(251, L'x'), L"http://c/");
  SetString(HKEY_CURRENT_USER, names.Subkey(), L"url3", L"http://d/");
  EXPECT_EQ(ListTypedUrls(HKEY_CURRENT_USER, names.Subkey()), (Lines{L"http://a/", L"http://b/"}));
}

TEST_F(TypedUrls, MissingKeyListsNothing) {
  EXPECT_EQ(ListTypedUrls(HKEY_CURRENT_USER, key.Subkey() + L"\\missing"), Lines{});
  EXPECT_EQ(List(), Lines{});
}
