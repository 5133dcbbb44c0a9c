#pragma once
// Downloads over the system's own HTTP stack (WinHTTP) with the system's proxy settings: the whole
// body of one address, or a reason why not.
#include <windows.h>

#include <functional>
#include <string>

namespace platform {

struct DownloadLimits {
  DWORD timeoutMs = 30000;                    // for the name look-up, the connection and each wait for data
  unsigned long long maxBytes = 16ull << 20;  // a longer body is refused
};

enum class DownloadOutcome {
  Done,
  BadAddress,
  NoConnection,
  TimedOut,
  HttpStatus,
  TooLarge,
  Truncated,
  WriteFailed,
  Stopped
};

// Told the bytes received so far and the whole length (-1 when the server did not say one), once
// the server answered and after each piece; false stops the download.
using DownloadProgress = std::function<bool(unsigned long long received, long long total)>;

struct DownloadResult {
  DownloadOutcome outcome = DownloadOutcome::NoConnection;
  DWORD status = 0;              // the server's HTTP status, when it answered
  DWORD error = 0;               // the system's error that stopped it, when one did
  unsigned long long bytes = 0;  // written to the file
};

// A GET of an http:// or https:// address, its body written to `out`. Done only when the server
// answered 200 and the body came whole: as long as its Content-Length said, when it said one, and
// never longer than the limit. `progress`, when given, may stop it between pieces.
DownloadResult DownloadTo(const std::wstring& url, HANDLE out, const DownloadLimits& limits,
                          const DownloadProgress& progress = {});

// Why a download did not succeed, as a sentence's end: "the server answered 404", ...
std::wstring DownloadProblem(const DownloadResult& result);

}  // namespace platform
