#include "cli/reply.h"

#include <cstdio>

#include "platform/text.h"

namespace cli {

namespace {

std::string WithoutLastLineEnd(std::wstring text) {
  if (text.ends_with(L'\n')) text.pop_back();
  return Quote(text);
}

}  // namespace

std::string Quote(std::wstring_view text) {
  std::string quoted = "\"";
  for (char c : platform::ToUtf8(text)) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          snprintf(escape, sizeof(escape), "\\u%04x", c);
          quoted += escape;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::string Strings(const std::vector<std::wstring>& texts) {
  std::string json = "[";
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i) json += ',';
    json += Quote(texts[i]);
  }
  return json + "]";
}

std::string ReplyJson(int code, const Reply& reply) {
  std::string json = "{\"exitCode\":" + std::to_string(code);
  if (!reply.said.empty()) json += ",\"message\":" + WithoutLastLineEnd(reply.said);
  if (!reply.why.empty()) json += ",\"reason\":" + WithoutLastLineEnd(reply.why);
  if (!reply.overruled.empty()) json += ",\"overruledByOrganisation\":" + Strings(reply.overruled);
  return json + reply.stored + "}\n";
}

}  // namespace cli
