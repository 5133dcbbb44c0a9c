#pragma once
// A strict little JSON reader for tests of machine-readable output: any syntax error throws.
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

struct Json {
  enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json& operator[](const std::string& name) const {
    auto found = members.find(name);
    if (type != Type::Object || found == members.end()) throw std::runtime_error("no member " + name);
    return found->second;
  }
  const Json& operator[](size_t index) const { return items.at(index); }
  size_t size() const { return type == Type::Array ? items.size() : members.size(); }
};

class JsonReader {
 public:
  static Json Parse(const std::string& text) {
    JsonReader reader(text);
    Json value = reader.Value();
    reader.Blanks();
    if (reader.at_ != text.size()) throw std::runtime_error("text after the value");
    return value;
  }

 private:
  explicit JsonReader(const std::string& text) : text_(text) {}

  void Blanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) {
      ++at_;
    }
  }
  char Peek() {
    Blanks();
    if (at_ >= text_.size()) throw std::runtime_error("unexpected end");
    return text_[at_];
  }
  void Expect(char c) {
    if (Peek() != c) throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(at_));
    ++at_;
  }
  bool Word(const char* word) {
    std::string w(word);
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }
  std::string String() {
    Expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      char c = text_[at_++];
      if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) break;
      char e = text_[at_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          if (at_ + 4 > text_.size()) throw std::runtime_error("short \\u escape");
          out += static_cast<char>(std::strtol(text_.substr(at_, 4).c_str(), nullptr, 16));
          at_ += 4;
          break;
        }
        default: throw std::runtime_error("bad escape");
      }
    }
    if (at_ >= text_.size()) throw std::runtime_error("unterminated string");
    ++at_;
    return out;
  }
  Json Value() {
    Json value;
    char c = Peek();
    if (c == '{') {
      value.type = Json::Type::Object;
      ++at_;
      if (Peek() == '}') {
        ++at_;
        return value;
      }
      for (;;) {
        std::string name = String();
        Expect(':');
        value.members[name] = Value();
        if (Peek() == ',') {
          ++at_;
          continue;
        }
        Expect('}');
        return value;
      }
    }
    if (c == '[') {
      value.type = Json::Type::Array;
      ++at_;
      if (Peek() == ']') {
        ++at_;
        return value;
      }
      for (;;) {
        value.items.push_back(Value());
        if (Peek() == ',') {
          ++at_;
          continue;
        }
        Expect(']');
        return value;
      }
    }
    if (c == '"') {
      value.type = Json::Type::String;
      value.text = String();
      return value;
    }
    if (Word("true") || Word("false")) {
      value.type = Json::Type::Bool;
      value.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
      return value;
    }
    if (Word("null")) return value;
    size_t start = at_;
    while (at_ < text_.size() && std::string("+-0123456789.eE").find(text_[at_]) != std::string::npos) ++at_;
    if (start == at_) throw std::runtime_error("unexpected character at " + std::to_string(at_));
    value.type = Json::Type::Number;
    value.number = std::strtod(text_.substr(start, at_ - start).c_str(), nullptr);
    return value;
  }

  const std::string& text_;
  size_t at_ = 0;
};

}  // namespace testing_support
