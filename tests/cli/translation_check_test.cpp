#include <gtest/gtest.h>

#include <string>

#include "cli/cli.h"
#include "platform/text.h"
#include "shipped_languages.h"
#include "shipped_translations.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// A template of four texts and a translation that gets each wrong in its own way, or none.
constexpr char kCheckedTemplate[] =
    "msgid \"\"\nmsgstr \"\"\n\n"
    "msgid \"Clean the item\"\nmsgstr \"\"\n\n"
    "msgid \"Erase {item}\"\nmsgstr \"\"\n\n"
    "msgid \"The rules\"\nmsgstr \"\"\n\n"
    "msgid \"Preview\"\nmsgstr \"\"\n";
constexpr char kCheckedGlossary[] =
    "msgid \"\"\nmsgstr \"\"\n\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n"
    "\"X-Trellwipe-Glossary: item=Element; cleaning=Bereinigung; keep list=Behalteliste; rule=Regel; "
    "preview=Vorschau\\n\"\n\n";

}  // namespace

TEST(CheckTranslation, NamesWhatIsMissingUnusableUnusedOrOffTheGlossary) {
  TempFolder folder;
  WriteText(folder / L"trellwipe.pot", kCheckedTemplate);
  WriteText(folder / L"de.po", std::string(kCheckedGlossary) +
                                   "msgid \"Clean the item\"\nmsgstr \"Den Eintrag bereinigen\"\n\n"
                                   "msgid \"Erase {item}\"\nmsgstr \"{element} l\xC3\xB6schen\"\n\n"
                                   "#, fuzzy\nmsgid \"The rules\"\nmsgstr \"Die Regeln\"\n\n"
                                   "msgid \"Gone\"\nmsgstr \"Weg\"\n\n"
                                   "msgid \"broken\nmsgstr \"x\"\n");
  cli::TranslationCheck checked = cli::CheckTranslation(folder / L"de.po", folder.Path());
  EXPECT_EQ(checked.code, cli::kExitTranslationFindings);
  const std::wstring expected[] = {
      L"de.po: 1 entry of 4 translated (25 %)\n",
      L"  line 19: cannot be read, left out\n",
      L"  line 6 \"Clean the item\": \"item\" is not translated as the glossary's \"element\"\n",
      L"  line 9 \"Erase {item}\": its placeholders differ\n",
      L"  line 13 \"The rules\": marked fuzzy\n",
      L"  line 16 \"Gone\": no text of the program is this\n",
      L"  \"Preview\": missing from the file (line 13 of trellwipe.pot)\n",
  };
  for (const std::wstring& line : expected)
    EXPECT_NE(checked.said.find(line), std::wstring::npos) << line << checked.said;

  // Without a template beside it or in the program folder, what the file lacks is not counted.
  TempFolder alone;
  WriteText(alone / L"de.po", std::string(kCheckedGlossary) + "msgid \"Preview\"\nmsgstr \"Vorschau\"\n");
  checked = cli::CheckTranslation(alone / L"de.po", alone.Path());
  EXPECT_EQ(checked.code, cli::kExitTranslationClean) << checked.said;
  EXPECT_NE(checked.said.find(L"1 entry of 1 translated (100 %); no trellwipe.pot found"), std::wstring::npos);

  WriteText(alone / L"bad.po", "msgid \"a\"\nmsgstr \"\xC3\x28\"\n");
  checked = cli::CheckTranslation(alone / L"bad.po", alone.Path());
  EXPECT_EQ(checked.code, cli::kExitTranslationUnreadable);
  EXPECT_EQ(checked.why, alone / L"bad.po" + L": the file is not UTF-8 text\n");
  EXPECT_EQ(cli::CheckTranslation(alone / L"none.po", alone.Path()).code, cli::kExitTranslationUnreadable);
}

// Every shipped language translates every text of the template, keeping its placeholders and glossary.
TEST(CheckTranslation, EveryShippedLanguageIsComplete) {
  TempFolder program;
  WriteText(program / L"lang\\trellwipe.pot", kShippedTemplate);
  EXPECT_GE(std::size(kShippedLanguages), 5u);
  for (const ShippedFile& language : kShippedLanguages) {
    const std::wstring file = program / (L"lang\\" + std::wstring(language.fileName));
    WriteText(file, language.text);
    cli::TranslationCheck checked = cli::CheckTranslation(file, L"");
    EXPECT_EQ(checked.code, cli::kExitTranslationClean) << platform::Narrow(checked.said + checked.why);
    EXPECT_NE(checked.said.find(L"(100 %)"), std::wstring::npos) << platform::Narrow(checked.said);
  }
}

TEST(CheckTranslation, TheCommandNeedsItsFile) {
  TempFolder program;
  cli::Output output;
  EXPECT_EQ(cli::Run({L"--check-translation"}, program.Path(), {}, output), cli::kExitBadArguments);
  EXPECT_NE(output.err.find("--check-translation needs a file"), std::string::npos);
}
