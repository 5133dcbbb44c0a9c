#include "platform/plural_forms.h"

#include <cctype>
#include <charconv>
#include <string>

namespace platform {

// One operation of the expression: a number, n, or an operator over one to three operands.
struct PluralRule::Node {
  enum Kind { Number, N, Not, Binary, Choice } kind = Number;
  unsigned long value = 0;  // Number's
  std::string op;           // Binary's: "*", "/", "%", "+", "-", "<", "<=", ">", ">=", "==", "!=", "&&", "||"
  std::unique_ptr<Node> a, b, c;
};

namespace {

using Node = PluralRule::Node;
using Tree = std::unique_ptr<Node>;

// Deeper or longer than this no real rule goes; a hostile one would otherwise exhaust the stack when
// it is read, evaluated or freed.
constexpr int kDepthLimit = 64;
constexpr int kNodeLimit = 256;
// The binary operators from the loosest to the tightest binding, one level each.
constexpr std::string_view kLevels[][4] = {{"||"},     {"&&"},         {"==", "!="}, {"<=", ">=", "<", ">"},
                                           {"+", "-"}, {"*", "/", "%"}};
constexpr int kLevelCount = static_cast<int>(std::size(kLevels));

// A recursive-descent reader of the C expression; any mistake ends the read with nothing.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  Tree Whole() {
    Tree tree = Conditional(0);
    Skip();
    return tree && at_ == text_.size() && nodes_ <= kNodeLimit ? std::move(tree) : nullptr;
  }

 private:
  Tree Make(Node::Kind kind) {
    if (++nodes_ > kNodeLimit) return nullptr;
    auto node = std::make_unique<Node>();
    node->kind = kind;
    return node;
  }

  void Skip() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  bool Take(std::string_view token) {
    Skip();
    if (text_.substr(at_, token.size()) != token) return false;
    // "<" is not the start of "<=", nor "!" of "!=".
    if (token.size() == 1 && at_ + 1 < text_.size() && text_[at_ + 1] == '=' && token != "=") {
      if (token == "<" || token == ">" || token == "!") return false;
    }
    at_ += token.size();
    return true;
  }

  Tree Conditional(int depth) {
    if (depth > kDepthLimit) return nullptr;
    Tree test = Level(0, depth + 1);
    if (!test || !Take("?")) return test;
    Tree node = Make(Node::Choice);
    if (!node) return nullptr;
    node->a = std::move(test);
    node->b = Conditional(depth + 1);
    if (!node->b || !Take(":")) return nullptr;
    node->c = Conditional(depth + 1);
    return node->c ? std::move(node) : nullptr;
  }

  Tree Level(int level, int depth) {
    if (level == kLevelCount) return Unary(depth);
    Tree left = Level(level + 1, depth);
    while (left) {
      std::string_view found;
      for (std::string_view op : kLevels[level]) {
        if (!op.empty() && Take(op)) {
          found = op;
          break;
        }
      }
      if (found.empty()) break;
      Tree node = Make(Node::Binary);
      if (!node) return nullptr;
      node->op = found;
      node->a = std::move(left);
      node->b = Level(level + 1, depth);
      if (!node->b) return nullptr;
      left = std::move(node);
    }
    return left;
  }

  Tree Unary(int depth) {
    if (depth > kDepthLimit) return nullptr;
    if (Take("!")) {
      Tree node = Make(Node::Not);
      if (!node) return nullptr;
      node->a = Unary(depth + 1);
      return node->a ? std::move(node) : nullptr;
    }
    if (Take("(")) {
      Tree inner = Conditional(depth + 1);
      return inner && Take(")") ? std::move(inner) : nullptr;
    }
    Skip();
    if (Take("n")) return Make(Node::N);
    unsigned long value = 0;
    auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + text_.size(), value);
    if (error != std::errc() || end == text_.data() + at_) return nullptr;
    at_ = static_cast<size_t>(end - text_.data());
    Tree node = Make(Node::Number);
    if (node) node->value = value;
    return node;
  }

  std::string_view text_;
  size_t at_ = 0;
  int nodes_ = 0;
};

std::optional<unsigned long> Apply(const std::string& op, unsigned long a, unsigned long b) {
  if ((op == "/" || op == "%") && b == 0) return std::nullopt;
  if (op == "*") return a * b;
  if (op == "/") return a / b;
  if (op == "%") return a % b;
  if (op == "+") return a + b;
  if (op == "-") return a - b;
  if (op == "<") return a < b;
  if (op == "<=") return a <= b;
  if (op == ">") return a > b;
  if (op == ">=") return a >= b;
  if (op == "==") return a == b;
  if (op == "!=") return a != b;
  if (op == "&&") return a && b;
  return a || b;
}

std::optional<unsigned long> Evaluate(const Node& node, unsigned long n) {
  switch (node.kind) {
    case Node::Number: return node.value;
    case Node::N: return n;
    case Node::Not: {
      auto a = Evaluate(*node.a, n);
      return a ? std::optional<unsigned long>(!*a) : std::nullopt;
    }
    case Node::Choice: {
      auto test = Evaluate(*node.a, n);
      if (!test) return std::nullopt;
      return Evaluate(*test ? *node.b : *node.c, n);
    }
    case Node::Binary: break;
  }
  auto a = Evaluate(*node.a, n);
  auto b = Evaluate(*node.b, n);
  return a && b ? Apply(node.op, *a, *b) : std::nullopt;
}

// The value of `name=` in the header's text, up to the next ";" or the end.
std::optional<std::string_view> Field(std::string_view text, std::string_view name) {
  for (size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, at + 1)) {
    size_t after = at + name.size();
    while (after < text.size() && text[after] == ' ') ++after;
    if ((at == 0 || text[at - 1] == ' ' || text[at - 1] == ';') && after < text.size() && text[after] == '=') {
      std::string_view rest = text.substr(after + 1);
      return rest.substr(0, rest.find(';'));
    }
  }
  return std::nullopt;
}

}  // namespace

PluralRule::PluralRule(int forms, std::unique_ptr<Node> root) : forms_(forms), root_(std::move(root)) {}
PluralRule::PluralRule(PluralRule&&) noexcept = default;
PluralRule& PluralRule::operator=(PluralRule&&) noexcept = default;
PluralRule::~PluralRule() = default;

std::optional<PluralRule> PluralRule::Read(std::string_view pluralForms) {
  std::optional<std::string_view> count = Field(pluralForms, "nplurals");
  std::optional<std::string_view> expression = Field(pluralForms, "plural");
  if (!count || !expression) return std::nullopt;
  int forms = 0;
  std::string_view digits = *count;
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  while (!digits.empty() && digits.back() == ' ') digits.remove_suffix(1);
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), forms);
  if (error != std::errc() || end != digits.data() + digits.size() || forms < 1 || forms > 6) return std::nullopt;
  Tree root = Reader(*expression).Whole();
  if (!root) return std::nullopt;
  return PluralRule(forms, std::move(root));
}

PluralRule PluralRule::English() { return *Read("nplurals=2; plural=(n != 1);"); }

std::optional<int> PluralRule::FormOf(unsigned long n) const {
  std::optional<unsigned long> form = Evaluate(*root_, n);
  if (!form || *form >= static_cast<unsigned long>(forms_)) return std::nullopt;
  return static_cast<int>(*form);
}

}  // namespace platform
