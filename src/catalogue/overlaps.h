#pragma once
// Where a plug-in or a rule reaches what a built-in item reaches too. The files and folders of the
// item's steps, the definition's lines and the rule's file keys are compared as written, variables
// and wildcards and all, so the selection window can say so before any run; a run counts such a place
// once, under the item that reached it first.
#include <string>
#include <vector>

#include "catalogue/rule_file.h"

namespace catalogue {

// The labels of the built-in items that reach a place one of the rule's file keys reaches, in run
// order. Items that work through a call of their own (a database cleaned inside, a key made again)
// name no place and are not compared.
std::vector<std::wstring> AlsoCoveredBy(const rules::Rule& rule);
// The same for the file and folder lines of a plug-in's definition file.
std::vector<std::wstring> PluginAlsoCoveredBy(const std::wstring& definitionFile);

// "also covered by Chrome Cache", the labels joined by ", "; empty text for none.
std::wstring AlsoCoveredText(const std::vector<std::wstring>& labels);

}  // namespace catalogue
