#include "platform/translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/languages.h"
#include "platform/plural_forms.h"
#include "platform/po_file.h"
#include "support/test_support.h"

using namespace platform;

namespace {

constexpr char kPoHeader[] =
    "msgid \"\"\nmsgstr \"\"\n\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n"
    "\"X-Trellwipe-Glossary: item=Element\\n\"\n\n";

PoFile ReadPoText(const std::string& text) {
  Result<PoFile> file = ReadPo(text);
  EXPECT_TRUE(file) << text;
  return file ? *file : PoFile{};
}

// English again once a test that put a language in force ends.
struct EnglishAgainAfterwards {
  ~EnglishAgainAfterwards() { UseCatalogue(nullptr); }
};

}  // namespace

TEST(PoFile, ReadsEntriesContextsPluralsAndTheHeader) {
  PoFile file =
      ReadPoText(std::string(kPoHeader) +
                 "# a comment\n#: src/x.cpp\nmsgid \"Clean\"\nmsgstr \"Bereinigen\"\n\n"
                 "msgctxt \"button\"\nmsgid \"Clean\"\nmsgstr \"\"\n\"Berei\"\n\"nigen\"\n\n"
                 "#, fuzzy\nmsgid \"A\\tB \\\"C\\\" \\\\ \\r\\n\"\nmsgstr \"x\"\n\n"
                 "msgid \"{n} file\"\nmsgid_plural \"{n} files\"\nmsgstr[0] \"{n} Datei\"\nmsgstr[1] \"{n} Dateien\"\n"
                 "#~ msgid \"old\"\n#~ msgstr \"alt\"\n");
  ASSERT_EQ(file.entries.size(), 4u);
  EXPECT_EQ(file.pluralForms, "nplurals=2; plural=(n != 1);");
  EXPECT_EQ(file.glossary, L"item=Element");
  EXPECT_EQ(file.entries[1].context, L"button");
  EXPECT_EQ(file.entries[1].strings, std::vector<std::wstring>{L"Bereinigen"});
  EXPECT_TRUE(file.entries[2].fuzzy);
  EXPECT_FALSE(file.entries[3].fuzzy);
  EXPECT_EQ(file.entries[2].id, L"A\tB \"C\" \\ \r\n");
  EXPECT_EQ(file.entries[3].idPlural, L"{n} files");
  EXPECT_EQ(file.entries[3].strings.size(), 2u);
  EXPECT_TRUE(file.brokenLines.empty());
}

TEST(PoFile, MalformedEntriesAreLeftOutAndTheRestServes) {
  const std::string good = "msgid \"Good\"\nmsgstr \"Gut\"\n\n";
  const char* broken[] = {
      "msgid \"no end\nmsgstr \"x\"\n",                                   // a string without its closing quote
      "msgid \"a\" trailing\nmsgstr \"x\"\n",                             // something after the string
      "msgid \"a\\q\"\nmsgstr \"x\"\n",                                   // an escape PO does not have
      "msgid \"a\"\n",                                                    // no msgstr
      "msgstr \"orphan\"\n",                                              // no msgid
      "msgid \"a\"\nmsgstr[1] \"x\"\n",                                   // forms out of order
      "msgid \"a\"\nmsgid_plural \"b\"\nmsgstr \"x\"\n",                  // a plural without numbered forms
      "msgid \"a\"\nmsgstr \"x\"\nmsgstr \"y\"\n",                        // two translations
      "msgfoo \"a\"\n",                                                   // an unknown keyword
      "msgid \"\"\nmsgstr \"Plural-Forms: nplurals=1; plural=0;\\n\"\n",  // a second header
  };
  for (const char* entry : broken) {
    PoFile file = ReadPoText(kPoHeader + good + entry + "\n" + good);
    EXPECT_EQ(file.entries.size(), 2u) << entry;
    EXPECT_EQ(file.brokenLines.size(), 1u) << entry;
  }
  // A malformed entry right after a whole one, with no blank line between them, spoils itself only.
  PoFile close = ReadPoText(std::string(kPoHeader) + "msgid \"Good\"\nmsgstr \"Gut\"\nmsgid \"bad\nmsgstr \"x\"\n");
  EXPECT_EQ(close.entries.size(), 1u);
  EXPECT_EQ(close.pluralForms, "nplurals=2; plural=(n != 1);");
  // Too many forms.
  std::string forms = "msgid \"a\"\nmsgid_plural \"b\"\n";
  for (int i = 0; i < 7; ++i) forms += "msgstr[" + std::to_string(i) + "] \"x\"\n";
  EXPECT_EQ(ReadPoText(forms).entries.size(), 0u);
}

TEST(PoFile, RefusesWhatIsNoUtf8TextOrTooLarge) {
  EXPECT_FALSE(ReadPo("msgid \"a\"\nmsgstr \"\xC3\x28\"\n"));
  EXPECT_FALSE(ReadPo(std::string("msgid \"a\0\"\nmsgstr \"b\"\n", 22)));
  EXPECT_FALSE(ReadPo(std::string(kPoFileLimit + 1, '#')));
  EXPECT_TRUE(ReadPo("\xEF\xBB\xBFmsgid \"a\"\nmsgstr \"\xC3\xA4\"\n"));
  EXPECT_TRUE(ReadPo(""));
}

TEST(PluralRule, EvaluatesTheRulesOfTheLanguages) {
  const struct {
    const char* forms;
    std::vector<int> expected;  // for n = 0, 1, 2, 5, 11, 21, 22, 101, 112
  } rules[] = {
      {"nplurals=2; plural=(n != 1);", {1, 0, 1, 1, 1, 1, 1, 1, 1}},
      {"nplurals=2; plural=(n > 1);", {0, 0, 1, 1, 1, 1, 1, 1, 1}},
      {"nplurals=1; plural=0;", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);",
       {2, 0, 1, 2, 2, 2, 1, 2, 2}},
      {"nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);",
       {2, 0, 1, 2, 2, 0, 1, 0, 2}},
      {" nplurals = 2 ; plural = !(n == 1) ;", {1, 0, 1, 1, 1, 1, 1, 1, 1}},
  };
  const unsigned long counts[] = {0, 1, 2, 5, 11, 21, 22, 101, 112};
  for (const auto& rule : rules) {
    std::optional<PluralRule> read = PluralRule::Read(rule.forms);
    ASSERT_TRUE(read) << rule.forms;
    for (size_t i = 0; i < std::size(counts); ++i) {
      EXPECT_EQ(read->FormOf(counts[i]), rule.expected[i]) << rule.forms << " n=" << counts[i];
    }
  }
}

TEST(PluralRule, RefusesWhatIsNoRuleAndFailsSafelyWhenEvaluated) {
  const std::string deep = "nplurals=2; plural=" + std::string(5000, '(') + "n" + std::string(5000, ')') + ";";
  std::string longChain = "nplurals=2; plural=n";
  for (int i = 0; i < 100000; ++i) longChain += "+n";
  for (const std::string& forms :
       {std::string("plural=(n != 1);"), std::string("nplurals=2;"), std::string("nplurals=0; plural=0;"),
        std::string("nplurals=7; plural=0;"), std::string("nplurals=2; plural=(n != 1;"),
        std::string("nplurals=2; plural=system(n);"), std::string("nplurals=2; plural=n ? 1;"),
        std::string("nplurals=2; plural=n = 1;"), deep, longChain}) {
    EXPECT_FALSE(PluralRule::Read(forms)) << forms.substr(0, 60);
  }
  // Read, but no form: a division by zero, a form the rule does not have.
  EXPECT_FALSE(PluralRule::Read("nplurals=2; plural=n/0;")->FormOf(3));
  EXPECT_FALSE(PluralRule::Read("nplurals=2; plural=n%(n-n);")->FormOf(3));
  EXPECT_FALSE(PluralRule::Read("nplurals=2; plural=n;")->FormOf(2));
}

TEST(Translation, EnglishIsShownUnchangedWhereNoUsableTranslationIs) {
  EnglishAgainAfterwards english;
  static const wchar_t kText[] = L"Released HD Space:";
  EXPECT_EQ(Tr(kText), kText);  // with no catalogue, the code's own text itself
  Catalogue german(ReadPoText(std::string(kPoHeader) +
                              "msgid \"Clean\"\nmsgstr \"Bereinigen\"\n\n"
                              "msgctxt \"verb\"\nmsgid \"Clean\"\nmsgstr \"Säubern\"\n\n"
                              "#, fuzzy\nmsgid \"Fuzzy\"\nmsgstr \"Unscharf\"\n\n"
                              "msgid \"Empty\"\nmsgstr \"\"\n\n"
                              "msgid \"Erase {item} now\"\nmsgstr \"Jetzt {element} löschen\"\n\n"
                              "msgid \"Erase {item}\"\nmsgstr \"{item} löschen\"\n\n"
                              "msgid \"{count} file\"\nmsgid_plural \"{count} files\"\n"
                              "msgstr[0] \"eine Datei\"\nmsgstr[1] \"{count} Dateien\"\n"));
  UseCatalogue(&german);
  EXPECT_EQ(Tr(kText), kText);
  EXPECT_STREQ(Tr(L"Clean"), L"Bereinigen");
  EXPECT_STREQ(TrIn(L"verb", L"Clean"), L"Säubern");
  EXPECT_STREQ(TrIn(L"noun", L"Clean"), L"Clean");
  EXPECT_STREQ(Tr(L"Fuzzy"), L"Fuzzy");
  EXPECT_STREQ(Tr(L"Empty"), L"Empty");
  EXPECT_STREQ(Tr(L"Erase {item} now"), L"Erase {item} now");
  EXPECT_STREQ(Tr(L"Erase {item}"), L"{item} löschen");
  EXPECT_STREQ(TrPlural(L"{count} file", L"{count} files", 1), L"eine Datei");
  EXPECT_STREQ(TrPlural(L"{count} file", L"{count} files", 7), L"{count} Dateien");
  EXPECT_STREQ(TrPlural(L"{count} folder", L"{count} folders", 7), L"{count} folders");
  UseCatalogue(nullptr);
  EXPECT_STREQ(TrPlural(L"{count} file", L"{count} files", 1), L"{count} file");
}

// Chinese, as every language that does not inflect for a count, gives a plural entry one form.
TEST(Translation, ALanguageOfOneFormTakesItForEveryCount) {
  EnglishAgainAfterwards english;
  Catalogue chinese(
      ReadPoText("msgid \"\"\nmsgstr \"\"\n\"Plural-Forms: nplurals=1; plural=0;\\n\"\n\n"
                 "msgid \"{count} file\"\nmsgid_plural \"{count} files\"\n"
                 "msgstr[0] \"{count} \xE4\xB8\xAA\xE6\x96\x87\xE4\xBB\xB6\"\n\n"
                 "msgid \"{count} folder\"\nmsgstr \"{count} \xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9\"\n"));
  UseCatalogue(&chinese);
  for (unsigned long n : {1ul, 7ul}) {
    EXPECT_STREQ(TrPlural(L"{count} file", L"{count} files", n), L"{count} \u4E2A\u6587\u4EF6") << n;
    // A text translated without its forms answers for no count.
    EXPECT_STREQ(TrPlural(L"{count} folder", L"{count} folders", n), n == 1 ? L"{count} folder" : L"{count} folders");
  }
}

TEST(Translation, FillReplacesNamedPlaceholdersOnce) {
  EXPECT_EQ(Fill(L"{a} and {b} and {a}", {{L"a", L"{b}"}, {L"b", L"2"}}), L"{b} and 2 and {b}");
  EXPECT_EQ(Fill(L"{unknown} {} {a", {{L"a", L"1"}}), L"{unknown} {} {a");
  EXPECT_EQ(Placeholders(L"{b} x {a} {a} {} {a b}"), (std::vector<std::wstring>{L"{a}", L"{a}", L"{b}"}));
}

TEST(Languages, AFileServesItsLanguageAndItsRegionsAndNothingElseIsRead) {
  EnglishAgainAfterwards english;
  testing_support::TempFolder program;
  testing_support::WriteText(program / L"lang\\de.po",
                             std::string(kPoHeader) + "msgid \"Clean\"\nmsgstr \"Bereinigen\"\n");
  testing_support::WriteText(program / L"lang\\fr.po", "msgid \"a\"\nmsgstr \"\xC3\x28\"\n");
  testing_support::WriteText(program / L"de.po", "msgid \"Clean\"\nmsgstr \"Elsewhere\"\n");
  testing_support::WriteText(program / L"lang\\notes.txt", "");
  EXPECT_EQ(InstalledLanguages(program.Path()), (std::vector<std::wstring>{L"de", L"fr"}));
  EXPECT_EQ(ServingLanguage(program.Path(), L"de_AT"), L"de");
  EXPECT_EQ(ServingLanguage(program.Path(), L"pt_BR"), kEnglish);
  for (const wchar_t* code : {L"..\\de", L"..", L"de\\..\\de", L"C:\\de", L"DE"}) {
    EXPECT_EQ(ServingLanguage(program.Path(), code), kEnglish) << code;
  }

  ASSERT_TRUE(UseLanguage(program.Path(), L"de_DE"));
  EXPECT_EQ(LanguageInUse(), L"de");
  const wchar_t* german = Tr(L"Clean");
  EXPECT_STREQ(german, L"Bereinigen");
  // A file that is no UTF-8 text is refused, and English is in force; a text looked up before stays valid.
  EXPECT_FALSE(UseLanguage(program.Path(), L"fr"));
  EXPECT_EQ(LanguageInUse(), kEnglish);
  EXPECT_STREQ(Tr(L"Clean"), L"Clean");
  EXPECT_STREQ(german, L"Bereinigen");
}
