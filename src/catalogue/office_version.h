#pragma once
// Which generation of the office suite is installed, as its word processor's automation server
// reports it.
#include <functional>
#include <string>

namespace catalogue {

// What asking the word processor's automation server yields.
struct WordProbe {
  bool created = false;         // the automation object could be made
  std::wstring version = L"0";  // its "Version" property; "0" when that could not be read
};

// Starts the automation server "Word.Application.8", reads its version and quits it again.
WordProbe ProbeWordProcessor();

// "NoOffice" without an automation object; otherwise the first generation, oldest first, whose
// number appears anywhere in the version text ("Office97" for any "8"), or empty.
std::wstring GenerationName(const WordProbe& probe);

// "Office2010" gives "14.0"; every other name, "NoOffice" and empty included, gives empty.
std::wstring VersionNumber(const std::wstring& generation);

// The generation name of the installed suite; never fails.
std::wstring DetectOfficeVersion();

// For tests: while one is alive, DetectOfficeVersion asks this function instead of starting the
// real automation server.
class FakeWordProcessor {
 public:
  explicit FakeWordProcessor(std::function<WordProbe()> probe);
  ~FakeWordProcessor();
  FakeWordProcessor(const FakeWordProcessor&) = delete;
  FakeWordProcessor& operator=(const FakeWordProcessor&) = delete;

 private:
  std::function<WordProbe()> probe_;
  const std::function<WordProbe()>* previous_;
};

}  // namespace catalogue
