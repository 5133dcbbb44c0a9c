#include "engine/secure_overwrite.h"

#include <gtest/gtest.h>

#include "engine/allerase.h"
#include "platform/handles.h"
#include "support/held_file.h"
#include "support/test_support.h"

using namespace testing_support;

TEST(SecureOverwrite, ZerosTheWholeContentInPlaceThenDeletesTheFile) {
  TempFolder folder;
  // Empty, one byte, and several chunks with a partial last one.
  for (size_t size : {size_t{0}, size_t{1}, size_t{3 * 1024 * 1024 + 17}}) {
    std::wstring path = folder / (L"f" + std::to_wstring(size) + L".bin");
    MakePattern(path, size);
    platform::FileHandle held = OpenShared(path);
    ASSERT_TRUE(held) << size;
    EXPECT_EQ(engine::OverwriteAndDelete(path), DWORD{ERROR_SUCCESS}) << size;
    std::string seen = ReadThrough(held.get());
    EXPECT_EQ(seen, std::string(size, '\0')) << size;
    held.reset();
    ExpectGone(path, ::testing::Message() << size);
  }
}

TEST(SecureOverwrite, LeavesWhatItMustNotOrCannotDeleteWhole) {
  TempFolder folder;
  EXPECT_NE(engine::OverwriteAndDelete(folder / L"missing.bin"), DWORD{ERROR_SUCCESS});
  EXPECT_NE(engine::OverwriteAndDelete(L""), DWORD{ERROR_SUCCESS});
  MakeFolders(folder / L"sub");
  EXPECT_NE(engine::OverwriteAndDelete(folder / L"sub"), DWORD{ERROR_SUCCESS});
  ExpectKept(folder / L"sub");

  // A read-only file: the erasure does not force it elsewhere, so its content stays too.
  std::wstring readOnly = folder / L"readonly.bin";
  MakePattern(readOnly, 100);
  std::string before = ReadText(readOnly);
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_NE(engine::OverwriteAndDelete(readOnly), DWORD{ERROR_SUCCESS});
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadText(readOnly), before);
}

// A running program holds its file open; a secure erasure either deletes it or leaves every byte.
TEST(SecureOverwrite, AFileHeldWithoutDeleteSharingIsLeftWholeAndInUse) {
  struct Case {
    const wchar_t* share;
    bool goes;
  };
  for (const Case& c : {Case{L"-", false}, Case{L"r", false}, Case{L"rw", false}, Case{L"rwd", true}}) {
    TempFolder folder;
    std::wstring path = folder / L"places.sqlite";
    MakePattern(path, 5000);
    const std::string before = ReadText(path);
    HeldByAnotherProcess holder(path, c.share);
    ASSERT_TRUE(holder.holding()) << c.share;
    engine::RunReport report;
    engine::RunRecorder recorder(report);
    recorder.BeginItem(L"S", L"K", L"Label");
    engine::EraseContext erase;
    erase.secure = true;
    erase.recorder = &recorder;
    EXPECT_EQ(engine::allerase::EraseFile(erase, path), 5000) << c.share;
    const engine::ItemReport& item = report.items.at(0);
    if (c.goes) {
      EXPECT_EQ(item.files.size(), 1u) << c.share;
      EXPECT_TRUE(item.leftBehind.empty()) << c.share;
      holder.Release();
      ExpectGone(path, ::testing::Message() << c.share);
    } else {
      ASSERT_EQ(item.leftBehind.size(), 1u) << c.share;
      EXPECT_EQ(item.leftBehind[0].reason, L"in use") << c.share;
      EXPECT_TRUE(item.files.empty()) << c.share;
      holder.Release();
      EXPECT_EQ(ReadText(path), before) << c.share;
    }
  }
}

TEST(SecureOverwriteLinks, AFolderLinkIsNeitherWrittenNorFollowed) {
  wchar_t fixture[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH), 0u)
      << "run through scripts/wine-emulator.sh, which makes the linked tree";
  std::wstring link = std::wstring(fixture) + L"\\tree\\sub\\cache";
  ASSERT_TRUE(Attributes(link) & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_NE(engine::OverwriteAndDelete(link), DWORD{ERROR_SUCCESS});
  EXPECT_EQ(ReadText(std::wstring(fixture) + L"\\outside\\precious.txt"), "0123456789");
}

// The holes of a sparse file take no room: the overwrite writes only where it holds data, so the file
// takes no more room than before, and its data is gone.
TEST(SecureOverwrite, ASparseFileIsOverwrittenOnlyWhereItHoldsData) {
  TempFolder folder;
  const std::wstring path = folder / L"sparse.bin";
  constexpr LONGLONG kTail = 64LL << 20;
  auto at = [](HANDLE file, LONGLONG offset) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
  };
  {
    platform::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD wrote = 0;
    ASSERT_TRUE(WriteFile(file.get(), "HEAD", 4, &wrote, nullptr));
    ASSERT_TRUE(at(file.get(), kTail) && WriteFile(file.get(), "TAIL", 4, &wrote, nullptr));
  }
  platform::FileHandle reader = OpenShared(path);
  auto room = [&] {
    FILE_STANDARD_INFO info{};
    GetFileInformationByHandleEx(reader.get(), FileStandardInfo, &info, sizeof info);
    return info.AllocationSize.QuadPart;
  };
  const LONGLONG before = room();
  ASSERT_LT(before, kTail);
  platform::FileHandle file = engine::OpenForErasure(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES);
  ASSERT_TRUE(file);
  EXPECT_TRUE(engine::OverwriteContent(file.get(), kTail + 4096, engine::Fill::Zeros));
  EXPECT_LE(room(), before);
  for (LONGLONG offset : {0LL, kTail}) {
    char seen[4] = {1, 1, 1, 1};
    DWORD read = 0;
    ASSERT_TRUE(at(reader.get(), offset) && ReadFile(reader.get(), seen, 4, &read, nullptr));
    EXPECT_EQ(std::string(seen, read), std::string(4, '\0')) << offset;
  }
  FILE_STANDARD_INFO end{};
  GetFileInformationByHandleEx(reader.get(), FileStandardInfo, &end, sizeof end);
  EXPECT_EQ(end.EndOfFile.QuadPart, kTail + 4);
}
