#include "platform/po_file.h"

#include <optional>

#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"

namespace platform {

namespace {

// An entry as it is read, in UTF-8 until it is whole.
struct RawEntry {
  std::string context, id, idPlural;
  std::vector<std::string> strings;
  bool hasContext = false, hasId = false, fuzzy = false, broken = false;
  int line = 0;
  std::string* field = nullptr;  // what a continuation line adds to
};

// The text between the quotes of `text` ("...", with \n \t \r \" \\ escapes and nothing after the
// closing quote but blanks); nothing when it is not such a string.
std::optional<std::string> Quoted(std::string_view text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string value;
  for (size_t at = 1; at < text.size(); ++at) {
    char c = text[at];
    if (c == '"') {
      return text.find_first_not_of(" \t\r", at + 1) == std::string_view::npos ? std::optional(value) : std::nullopt;
    }
    if (c != '\\') {
      value += c;
      continue;
    }
    if (++at == text.size()) return std::nullopt;
    switch (text[at]) {
      case 'n': value += '\n'; break;
      case 't': value += '\t'; break;
      case 'r': value += '\r'; break;
      case '"': value += '"'; break;
      case '\\': value += '\\'; break;
      default: return std::nullopt;
    }
  }
  return std::nullopt;
}

std::string_view TrimStart(std::string_view text) {
  size_t start = text.find_first_not_of(" \t");
  return start == std::string_view::npos ? std::string_view{} : text.substr(start);
}

// The value of one "Name: value" line of the header.
std::string HeaderField(const std::string& header, std::string_view name) {
  for (size_t start = 0; start < header.size();) {
    size_t end = header.find('\n', start);
    std::string_view line(header.data() + start, (end == std::string::npos ? header.size() : end) - start);
    if (line.starts_with(name) && line.substr(name.size()).starts_with(":")) {
      return std::string(TrimStart(line.substr(name.size() + 1)));
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

class Parser {
 public:
  PoFile Finish() {
    Close();
    return std::move(file_);
  }

  void Line(std::string_view line, int number) {
    line = TrimStart(line);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A blank line ends an entry, as a flags line before the next one does.
    if (line.empty()) return Close();
    if (line.starts_with("#~")) return;
    if (line.starts_with("#,")) {
      Close();
      pendingFuzzy_ = pendingFuzzy_ || line.find("fuzzy") != std::string_view::npos;
      return;
    }
    if (line.starts_with("#")) return;
    if (line.starts_with("\"")) {
      std::optional<std::string> more = Quoted(line);
      if (!more || !entry_.field) return Break(number);
      *entry_.field += *more;
      return;
    }
    Keyword(line, number);
  }

 private:
  void Keyword(std::string_view line, int number) {
    size_t blank = line.find_first_of(" \t");
    std::string_view word = line.substr(0, blank);
    std::optional<std::string> value =
        blank == std::string_view::npos ? std::nullopt : Quoted(TrimStart(line.substr(blank)));
    // A new entry that cannot be read spoils itself, not the one before it.
    if (!value && (word == "msgctxt" || word == "msgid")) Close();
    if (!value) return Break(number);
    if (word == "msgctxt" || (word == "msgid" && (!entry_.hasContext || entry_.hasId))) Close();
    if (word == "msgctxt") {
      Start(number);
      entry_.hasContext = true;
      entry_.field = &entry_.context;
    } else if (word == "msgid") {
      if (!entry_.hasContext) Start(number);
      entry_.hasId = true;
      entry_.line = number;
      entry_.field = &entry_.id;
    } else if (word == "msgid_plural" && entry_.hasId && entry_.strings.empty()) {
      entry_.field = &entry_.idPlural;
    } else if (word == "msgstr" && entry_.hasId && entry_.strings.empty() && entry_.idPlural.empty()) {
      entry_.strings.emplace_back();
    } else if (word == "msgstr[" + std::to_string(entry_.strings.size()) + "]" && entry_.hasId &&
               entry_.strings.size() < 6) {
      entry_.strings.emplace_back();
    } else {
      return Break(number);
    }
    if (word.starts_with("msgstr")) entry_.field = &entry_.strings.back();
    *entry_.field = std::move(*value);
  }

  void Start(int number) {
    entry_ = RawEntry{};
    entry_.line = number;
    entry_.fuzzy = pendingFuzzy_;
    pendingFuzzy_ = false;
  }

  // A line that belongs to no entry, or spoils the one being read: that entry is left out.
  void Break(int number) {
    if (!entry_.hasId && !entry_.hasContext) Start(number);
    entry_.broken = true;
    entry_.hasId = true;
    entry_.field = nullptr;
  }

  void Close() {
    RawEntry raw = std::move(entry_);
    entry_ = RawEntry{};
    if (!raw.hasId && !raw.hasContext) return;
    const bool header = raw.id.empty() && !raw.hasContext;
    // Only the first header counts: a second could not change what the first says.
    // A plural entry may have a single form: the languages that do not inflect for a count have one.
    if (raw.broken || !raw.hasId || raw.strings.empty() || (header && headerRead_)) {
      file_.brokenLines.push_back(raw.line);
      return;
    }
    if (header) {
      headerRead_ = true;
      file_.pluralForms = HeaderField(raw.strings[0], "Plural-Forms");
      file_.glossary = FromUtf8(HeaderField(raw.strings[0], "X-Trellwipe-Glossary")).value_or(L"");
      return;
    }
    PoEntry entry{*FromUtf8(raw.context), *FromUtf8(raw.id), *FromUtf8(raw.idPlural), {}, raw.fuzzy, raw.line};
    for (const std::string& text : raw.strings) entry.strings.push_back(*FromUtf8(text));
    file_.entries.push_back(std::move(entry));
  }

  PoFile file_;
  RawEntry entry_;
  bool pendingFuzzy_ = false;
  bool headerRead_ = false;
};

}  // namespace

Result<PoFile> ReadPo(std::string_view bytes) {
  if (bytes.size() > kPoFileLimit) return Failure{Tr(L"the file is larger than a catalogue can be")};
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  // Checked whole once, so every piece taken from it converts.
  if (!FromUtf8(bytes)) return Failure{Tr(L"the file is not UTF-8 text")};
  if (bytes.find('\0') != std::string_view::npos) return Failure{Tr(L"the file is not text")};
  Parser parser;
  int number = 0;
  for (size_t start = 0; start <= bytes.size();) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    parser.Line(bytes.substr(start, end - start), ++number);
    start = end + 1;
  }
  return parser.Finish();
}

Result<PoFile> ReadPoFile(const std::wstring& file) {
  std::optional<std::string> bytes = ReadFileBytes(file, static_cast<DWORD>(kPoFileLimit + 1));
  if (!bytes) return Failure{Tr(L"the file cannot be read")};
  return ReadPo(*bytes);
}

}  // namespace platform
