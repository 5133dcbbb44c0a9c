// trellwipe-cli.exe: the console front end of the cleaning run.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/cli.h"
#include "platform/program_folder.h"
#include "platform/shutdown.h"
#include "run/process_values.h"
#include "settings/policies.h"

namespace {

// The text goes to the stream's file in one call, its line ends made here: the runtime's text mode
// writes each line with a system call of its own, and its stream a binary text's end byte by byte,
// where a report of many files has as many lines.
void Write(FILE* stream, const std::string& text) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  fflush(stream);
  for (size_t at = 0; at < lines.size();) {
    int written = _write(_fileno(stream), lines.data() + at, static_cast<unsigned>(lines.size() - at));
    if (written <= 0) return;
    at += static_cast<size_t>(written);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // No dialog about a missing disk or a crash may wait for a user who is not there.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  const std::wstring programFolder = platform::ProgramFolder();
  settings::ReadPoliciesInForce();
  cli::Output output;
  output.drain = [](const std::string& text) { Write(stdout, text); };
  int code = cli::Run(args, programFolder, run::ComputeProcessValues(), output, platform::RequestShutdown);
  Write(stdout, output.out);
  Write(stderr, output.err);
  return code;
}
