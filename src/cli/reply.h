#pragma once
// What a console command says when it writes no report or list of its own, and the JSON texts every
// command's answer is made of.
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// A JSON string of the text, in UTF-8.
std::string Quote(std::wstring_view text);
// A JSON array of the texts.
std::string Strings(const std::vector<std::wstring>& texts);

struct Reply {
  std::wstring said;      // for the output
  std::wstring why;       // for the error output: why nothing, or not all, was done
  std::string stored;     // JSON members naming what the command stored, each led by a comma
  bool reported = false;  // the command wrote its report or list to the output itself
  // What the command asked that a policy decides otherwise, one sentence each.
  std::vector<std::wstring> overruled;
};

// The reply as one JSON object: "exitCode", then "message", "reason" and "overruledByOrganisation"
// when there are any, then what was stored.
std::string ReplyJson(int code, const Reply& reply);

}  // namespace cli
