#pragma once
// The one lookup of the program's constant tables: the row whose key column holds a value.
#include <functional>
#include <ranges>
#include <string_view>
#include <type_traits>

namespace platform {

// Texts compare as texts, never by where they are stored; other values as they are.
struct SameValue {
  bool operator()(std::wstring_view a, std::wstring_view b) const { return a == b; }
  template <typename A, typename B>
  requires(!std::is_convertible_v<const A&, std::wstring_view>) bool operator()(const A& a, const B& b) const {
    return a == b;
  }
};

// The first row of `rows` whose `column` (a member pointer) holds `key` as `equal` compares them
// (platform::EqualsNoCase for a name whose letter case does not count), or null.
template <std::ranges::range Rows, typename Column, typename Key, typename Equal = SameValue>
const std::ranges::range_value_t<Rows>* FindRow(const Rows& rows, Column column, const Key& key, Equal equal = {}) {
  for (const auto& row : rows) {
    if (equal(std::invoke(column, row), key)) return &row;
  }
  return nullptr;
}

}  // namespace platform
