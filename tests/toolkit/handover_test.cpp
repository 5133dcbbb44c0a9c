// What another process sends is read only as far as it is well formed.
#include "toolkit/handover.h"

#include <gtest/gtest.h>

namespace {

constexpr toolkit::Handover kTest{0x54455354, L"Handover test", L"Local\\Trellwipe.handover-test"};

}  // namespace

// Empty names between the paths are dropped and a last path without its ending is kept; another
// marker, half a character, a message beyond the limit or one without its data is no handover.
TEST(Handover, TakesOnlyWellFormedPathsOfItsOwnMarker) {
  std::wstring text(L"C:\\a\0\0C:\\b", 10);
  std::wstring huge(600 * 1024, L'x');
  const struct {
    ULONG_PTR marker;
    DWORD bytes;
    void* data;
    std::optional<std::vector<std::wstring>> expected;
  } cases[] = {
      {kTest.marker, static_cast<DWORD>(text.size() * 2), text.data(), std::vector<std::wstring>{L"C:\\a", L"C:\\b"}},
      {kTest.marker, 0, nullptr, std::vector<std::wstring>{}},
      {kTest.marker + 1, static_cast<DWORD>(text.size() * 2), text.data(), std::nullopt},
      {kTest.marker, 3, text.data(), std::nullopt},
      {kTest.marker, static_cast<DWORD>(huge.size() * 2), huge.data(), std::nullopt},
      {kTest.marker, 4, nullptr, std::nullopt},
  };
  for (const auto& [marker, bytes, data, expected] : cases) {
    const COPYDATASTRUCT message{marker, bytes, data};
    EXPECT_EQ(toolkit::HandedPaths(kTest, message), expected) << bytes;
  }
}
