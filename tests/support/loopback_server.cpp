#include <winsock2.h>

#include "support/loopback_server.h"

namespace testing_support {

std::string HttpResponse(int status, const std::string& body, long long length) {
  return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Other") +
         "\r\nContent-Length: " + std::to_string(length < 0 ? static_cast<long long>(body.size()) : length) +
         "\r\nConnection: close\r\n\r\n" + body;
}

LoopbackServer::LoopbackServer(std::string response, DWORD delayMs)
    : response_(std::move(response)), delayMs_(delayMs), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof(address);
  bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  listen(listener, 4);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  listener_ = listener;
  thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  SetEvent(stop_.get());
  thread_.join();
  closesocket(static_cast<SOCKET>(listener_));
  WSACleanup();
}

std::wstring LoopbackServer::Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/winapp2.ini"; }

void LoopbackServer::Serve() {
  const SOCKET listener = static_cast<SOCKET>(listener_);
  while (WaitForSingleObject(stop_.get(), 0) == WAIT_TIMEOUT) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval wait{0, 50 * 1000};
    if (select(0, &ready, nullptr, nullptr, &wait) != 1) continue;
    SOCKET client = accept(listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      int got = recv(client, buffer, sizeof(buffer), 0);
      if (got <= 0) break;
      request.append(buffer, got);
    }
    if (WaitForSingleObject(stop_.get(), delayMs_) == WAIT_TIMEOUT) {
      for (size_t sent = 0; sent < response_.size();) {
        int wrote = send(client, response_.data() + sent, static_cast<int>(response_.size() - sent), 0);
        if (wrote <= 0) break;
        sent += wrote;
      }
    }
    shutdown(client, SD_BOTH);
    closesocket(client);
  }
}

}  // namespace testing_support
