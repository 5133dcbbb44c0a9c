#pragma once
// Every item a run can reach, with whether the next run would: the console program's list and the
// question before "Clean and Shut Down" name the same items.
#include <string>
#include <vector>

namespace catalogue {

struct ListedItem {
  std::wstring section;
  std::wstring key;
  std::wstring label;
  bool on = false;
  bool fixed = false;  // set by the organisation's policy
};

// Every item in run order: the built-in ones, "Custom/Custom", the plug-ins of the "plus-in" folder
// (section "plus-in", key and label their appname), then the rules of the rule files that apply here
// (section "winapp2", key and label the rule's name); `on` as the next run would see it: without a
// settings file, as the selection a new user starts with ticks it, which the list does not write.
// A selection fixed by policy decides `on` and `fixed` of the items it names or leaves out.
// Each label is listed once: one taken before gains the item's kind, "Chrome Cache (plug-in)". The
// built-in items' and the shipped rules' labels are in the language in force.
std::vector<ListedItem> ListItems(const std::wstring& programFolder);

}  // namespace catalogue
