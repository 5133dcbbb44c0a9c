#include "engine/secure_overwrite.h"

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// A file of `size` bytes none of which is zero.
void MakePattern(const std::wstring& path, size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('A' + i % 26);
  WriteText(path, text);
}

platform::FileHandle OpenShared(const std::wstring& path,
                                DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) {
  return platform::FileHandle(
      CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Everything the handle reads from the start of the file.
std::string ReadThrough(HANDLE file) {
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  std::string content;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
  return content;
}

}  // namespace

TEST(SecureOverwrite, ZerosTheWholeContentInPlaceSeenThroughAHandleHeldOpen) {
  TempFolder folder;
  // Empty, one byte, and several chunks with a partial last one.
  for (size_t size : {size_t{0}, size_t{1}, size_t{3 * 1024 * 1024 + 17}}) {
    std::wstring path = folder / (L"f" + std::to_wstring(size) + L".bin");
    MakePattern(path, size);
    platform::FileHandle held = OpenShared(path);
    ASSERT_TRUE(held) << size;
    EXPECT_TRUE(engine::OverwriteWithZeros(path)) << size;
    std::string seen = ReadThrough(held.get());
    EXPECT_EQ(seen.size(), size);
    EXPECT_EQ(seen, std::string(size, '\0')) << size;
    held.reset();
    EXPECT_EQ(ReadText(path), std::string(size, '\0')) << size;
  }
}

TEST(SecureOverwrite, LeavesWhatItMustNotOrCannotWrite) {
  TempFolder folder;
  EXPECT_FALSE(engine::OverwriteWithZeros(folder / L"missing.bin"));
  EXPECT_FALSE(engine::OverwriteWithZeros(L""));
  MakeFolders(folder / L"sub");
  EXPECT_FALSE(engine::OverwriteWithZeros(folder / L"sub"));
  EXPECT_TRUE(Exists(folder / L"sub"));

  // A read-only file: the erasure does not force it elsewhere, so its content stays too.
  std::wstring readOnly = folder / L"readonly.bin";
  MakePattern(readOnly, 100);
  std::string before = ReadText(readOnly);
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(engine::OverwriteWithZeros(readOnly));
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadText(readOnly), before);

  // Held open by a program that allows others to read only.
  std::wstring locked = folder / L"locked.bin";
  MakePattern(locked, 100);
  {
    platform::FileHandle held = OpenShared(locked, FILE_SHARE_READ);
    ASSERT_TRUE(held);
    EXPECT_FALSE(engine::OverwriteWithZeros(locked));
    EXPECT_EQ(ReadThrough(held.get()), before);
  }
}

TEST(SecureOverwriteLinks, AFolderLinkIsNeitherWrittenNorFollowed) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u)
      << "run through scripts/wine-emulator.sh, which makes the linked tree";
  std::wstring link = std::wstring(fixture) + L"\\tree\\sub\\cache";
  ASSERT_TRUE(Attributes(link) & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_FALSE(engine::OverwriteWithZeros(link));
  EXPECT_EQ(ReadText(std::wstring(fixture) + L"\\outside\\precious.txt"), "0123456789");
}
