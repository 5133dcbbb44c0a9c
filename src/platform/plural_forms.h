#pragma once
// The plural rule of a translation: the C expression of n that a PO header's Plural-Forms gives
// ("nplurals=2; plural=(n != 1);"), read into a tree and evaluated, never run as code.
#include <memory>
#include <optional>
#include <string_view>

namespace platform {

class PluralRule {
 public:
  // The rule of a Plural-Forms value; nothing when it is not one: an unknown character or name, an
  // unbalanced expression, nesting deeper than a person would write, or a form count outside 1..6.
  static std::optional<PluralRule> Read(std::string_view pluralForms);
  // English's: one form for 1, the other for every other count.
  static PluralRule English();

  PluralRule(PluralRule&&) noexcept;
  PluralRule& operator=(PluralRule&&) noexcept;
  ~PluralRule();

  int Forms() const { return forms_; }
  // The form that `n` takes; nothing when the rule divides by zero or names a form it does not have.
  std::optional<int> FormOf(unsigned long n) const;

  struct Node;

 private:
  PluralRule(int forms, std::unique_ptr<Node> root);
  int forms_;
  std::unique_ptr<Node> root_;
};

}  // namespace platform
