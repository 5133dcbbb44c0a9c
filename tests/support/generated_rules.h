#pragma once
// A rule file of the community file's shape and size, made up: `count` entries for programs named
// "Generated Program NNNN", whose paths lie under `root` (a path that may begin with a variable) and
// whose keys lie under HKCU\Software\TrellwipeGenerated. Every entry has detection keys, file keys
// with patterns and flags, registry keys, and some an exclusion or a warning; about 450 bytes each.
#include <cstdio>
#include <string>

namespace testing_support {

constexpr char kGeneratedKeyRoot[] = "HKCU\\Software\\TrellwipeGenerated";

// "Generated Program 0042": the program's name, which is its folder's name under `root` too.
inline std::string GeneratedProgram(int index) {
  char name[32];
  std::snprintf(name, sizeof(name), "Generated Program %04d", index);
  return name;
}

inline std::string GeneratedRules(int count, const std::string& root) {
  static const char* const kCategories[] = {"LangSecRef=3021", "LangSecRef=3022", "LangSecRef=3023",
                                            "LangSecRef=3024", "LangSecRef=3025", "Section=Games"};
  std::string text = "; Made-up entries for the rule engine's tests and benchmark.\r\n\r\n";
  for (int i = 0; i < count; ++i) {
    const std::string program = GeneratedProgram(i);
    const std::string folder = root + "\\" + program;
    const std::string key = std::string(kGeneratedKeyRoot) + "\\" + program;
    text += "[" + program + " *]\r\n";
    text += std::string(kCategories[i % 6]) + "\r\n";
    text += "Detect=" + key + "\r\n";
    text += "DetectFile1=" + folder + "*\r\n";
    text += "DetectFile2=%ProgramFiles%\\" + program + "\\program.exe\r\n";
    if (i % 50 == 7) text += "Warning=This also erases the saved sessions of " + program + ".\r\n";
    text += "FileKey1=" + folder + "\\Cache|*|RECURSE\r\n";
    text += "FileKey2=" + folder + "\\Logs|*.log;*.tmp\r\n";
    text += "FileKey3=" + folder + "\\Temp*|*|REMOVESELF\r\n";
    text += "RegKey1=" + key + "\\Recent\r\n";
    text += "RegKey2=" + key + "|LastFolder\r\n";
    if (i % 4 == 0) text += "ExcludeKey1=FILE|" + folder + "\\Cache\\|keep.db\r\n";
    text += "\r\n";
  }
  return text;
}

}  // namespace testing_support
