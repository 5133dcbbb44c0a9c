// trellwipe-cli.exe: the console front end of the cleaning run.
#include <windows.h>

#include <string>

#include "cli/cli.h"
#include "platform/console_output.h"
#include "platform/program_folder.h"
#include "platform/shutdown.h"
#include "run/process_values.h"
#include "settings/policies.h"

namespace {

// The text goes to the stream in one call, its line ends made here: the runtime's text mode writes
// each line with a system call of its own, where a report of many files has as many lines.
void Write(DWORD stream, const std::string& text) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  platform::WriteOut(GetStdHandle(stream), lines);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // No dialog about a missing disk or a crash may wait for a user who is not there.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  const std::wstring programFolder = platform::ProgramFolder();
  settings::ReadPoliciesInForce();
  cli::Output output;
  output.drain = [](const std::string& text) { Write(STD_OUTPUT_HANDLE, text); };
  int code = cli::Run(args, programFolder, run::ComputeProcessValues(), output, platform::RequestShutdown);
  Write(STD_OUTPUT_HANDLE, output.out);
  Write(STD_ERROR_HANDLE, output.err);
  return code;
}
