#pragma once
// An HTTP server for tests on 127.0.0.1 only, at a port the system chooses, on a thread of its own.
#include <windows.h>

#include <string>
#include <thread>

#include "platform/handles.h"

namespace testing_support {

// A response of `status` with `body`, its Content-Length `length` (the body's own when negative).
std::string HttpResponse(int status, const std::string& body, long long length = -1);

// Every connection gets `response` as it is, `delayMs` after the request came, and is then closed.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::string response, DWORD delayMs = 0);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;
  // "http://127.0.0.1:<port>/winapp2.ini".
  std::wstring Url() const;

 private:
  void Serve();

  std::string response_;
  DWORD delayMs_;
  unsigned long long listener_;
  unsigned short port_ = 0;
  platform::UniqueHandle stop_;
  std::thread thread_;
};

}  // namespace testing_support
