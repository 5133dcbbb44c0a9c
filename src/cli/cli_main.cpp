// trellwipe-cli.exe: the console front end of the cleaning run.
#include <windows.h>

#include <cstdio>

#include "cli/cli.h"
#include "platform/program_folder.h"
#include "platform/shutdown.h"
#include "run/process_values.h"

namespace {

void Write(FILE* stream, const std::string& text) {
  fwrite(text.data(), 1, text.size(), stream);
  fflush(stream);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // No dialog about a missing disk or a crash may wait for a user who is not there.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  const std::wstring programFolder = platform::ProgramFolder();
  cli::Output output;
  output.drain = [](const std::string& text) { Write(stdout, text); };
  int code = cli::Run(args, programFolder, run::ComputeProcessValues(), output, platform::RequestShutdown);
  Write(stdout, output.out);
  Write(stderr, output.err);
  return code;
}
