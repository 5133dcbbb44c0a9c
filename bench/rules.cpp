// The rule engine's cost on a file of the community file's size. "generate <file> <count> <root>"
// writes a made-up rule file; "load <program folder>" times, in-process, what the selection window
// does when it opens (RuleChoices: read, parse, detect, read the ticks) and "compare <program folder>
// <file>" what a rules update does with a download (read it, list its changes against the file in
// place with their marks); each reports its counts, so that the driver can check the work was done.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "catalogue/rule_changes.h"
#include "catalogue/rules.h"
#include "platform/text.h"
#include "support/generated_rules.h"

namespace {

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& stop) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"generate" && argc == 5) {
    std::ofstream file(argv[2], std::ios::binary);
    file << testing_support::GeneratedRules(_wtoi(argv[3]), platform::Narrow(argv[4]));
    return file ? 0 : 1;
  }
  if (mode == L"load" && argc == 3) {
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    std::vector<catalogue::rules::RuleChoice> choices = catalogue::rules::RuleChoices(argv[2]);
    QueryPerformanceCounter(&stop);
    size_t detected = 0;
    for (const catalogue::rules::RuleChoice& choice : choices) detected += choice.detected;
    std::printf("ms=%.1f entries=%zu detected=%zu\n", Milliseconds(start, stop), choices.size(), detected);
    return 0;
  }
  if (mode == L"compare" && argc == 4) {
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    const std::vector<catalogue::rules::Rule> installed =
        catalogue::rules::ReadRuleFile(catalogue::rules::CommunityFile(argv[2]))
            .value_or(std::vector<catalogue::rules::Rule>{});
    const std::vector<catalogue::rules::Rule> fresh =
        catalogue::rules::ReadRuleFile(argv[3]).value_or(std::vector<catalogue::rules::Rule>{});
    const std::vector<catalogue::rules::RuleChange> changes = catalogue::rules::CompareRules(installed, fresh, argv[2]);
    QueryPerformanceCounter(&stop);
    std::printf("ms=%.1f changes=%zu %ls\n", Milliseconds(start, stop), changes.size(),
                catalogue::rules::ChangeSummary(changes).c_str());
    return 0;
  }
  std::fprintf(stderr,
               "usage: bench_rules generate <file> <count> <root> | load <program folder> | compare <program folder> "
               "<file>\n");
  return 2;
}
