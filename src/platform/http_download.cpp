#include "platform/http_download.h"

#include <winhttp.h>

#include <cwchar>
#include <optional>
#include <vector>

#include "platform/handles.h"
#include "platform/product_name.h"
#include "platform/text_file.h"
#include "platform/translation.h"

namespace platform {

namespace {

using InternetHandle = Unique<ClosedBy<HINTERNET, WinHttpCloseHandle>>;

// The system's proxy settings: the automatic ones where this Windows knows them (8.1 on), else those
// of the default configuration.
InternetHandle OpenSession() {
  InternetHandle session(WinHttpOpen(kProductName, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                     WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) {
    session.reset(WinHttpOpen(kProductName, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0));
  }
  return session;
}

DownloadResult Failed(DownloadOutcome outcome, DWORD error = GetLastError()) {
  DownloadResult result;
  result.outcome = outcome;
  result.error = error;
  return result;
}

// Wine reports a timeout with the socket's error rather than WinHTTP's.
DownloadResult TransferFailed() {
  DWORD error = GetLastError();
  bool timedOut = error == ERROR_WINHTTP_TIMEOUT || error == WSAETIMEDOUT || error == ERROR_TIMEOUT;
  return Failed(timedOut ? DownloadOutcome::TimedOut : DownloadOutcome::NoConnection, error);
}

// The Content-Length the server gave; -1 for none.
long long ContentLength(HINTERNET request) {
  wchar_t text[32] = {};
  DWORD size = sizeof(text);
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return -1;
  }
  wchar_t* end = nullptr;
  unsigned long long length = wcstoull(text, &end, 10);
  return end == text ? -1 : static_cast<long long>(length);
}

// The parts of an http:// or https:// address that WinHTTP connects with.
struct Address {
  std::wstring host;
  std::wstring path;  // with the query
  INTERNET_PORT port = 0;
  bool secure = false;
};

std::optional<Address> ParseAddress(const std::wstring& url) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) || !parts.dwHostNameLength) {
    return std::nullopt;
  }
  return Address{std::wstring(parts.lpszHostName, parts.dwHostNameLength),
                 std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                     std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength),
                 parts.nPort, parts.nScheme == INTERNET_SCHEME_HTTPS};
}

// The body of an answered request written to `out` piece by piece, within the limit and for as long
// as `progress` lets it go on; `result` holds the server's status.
DownloadResult ReceiveBody(HINTERNET request, HANDLE out, long long length, const DownloadLimits& limits,
                           const DownloadProgress& progress, DownloadResult result) {
  auto stopped = [&] {
    if (!progress || progress(result.bytes, length)) return false;
    result.outcome = DownloadOutcome::Stopped;
    return true;
  };
  if (stopped()) return result;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
      DownloadResult failed = TransferFailed();
      // A connection closed before the end is a body cut short.
      failed.outcome = failed.outcome == DownloadOutcome::TimedOut ? failed.outcome : DownloadOutcome::Truncated;
      failed.status = result.status;
      failed.bytes = result.bytes;
      return failed;
    }
    if (read == 0) break;
    if (result.bytes + read > limits.maxBytes) {
      result.outcome = DownloadOutcome::TooLarge;
      return result;
    }
    if (!WriteAll(out, std::string(buffer.data(), read))) {
      result.outcome = DownloadOutcome::WriteFailed;
      result.error = GetLastError();
      return result;
    }
    result.bytes += read;
    if (stopped()) return result;
  }
  result.outcome = length < 0 || result.bytes == static_cast<unsigned long long>(length) ? DownloadOutcome::Done
                                                                                         : DownloadOutcome::Truncated;
  return result;
}

}  // namespace

DownloadResult DownloadTo(const std::wstring& url, HANDLE out, const DownloadLimits& limits,
                          const DownloadProgress& progress) {
  std::optional<Address> address = ParseAddress(url);
  if (!address) return Failed(DownloadOutcome::BadAddress, ERROR_WINHTTP_INVALID_URL);
  InternetHandle session = OpenSession();
  if (!session) return TransferFailed();
  const int timeout = static_cast<int>(limits.timeoutMs);
  WinHttpSetTimeouts(session.get(), timeout, timeout, timeout, timeout);
  InternetHandle connection(WinHttpConnect(session.get(), address->host.c_str(), address->port, 0));
  if (!connection) return TransferFailed();
  const std::wstring& path = address->path;
  InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", path.empty() ? L"/" : path.c_str(), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            address->secure ? WINHTTP_FLAG_SECURE : 0));
  // The wait for the response's headers has a timeout of its own, which WinHttpSetTimeouts leaves at
  // 90 seconds.
  DWORD headersTimeout = limits.timeoutMs;
  if (request) {
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersTimeout, sizeof(headersTimeout));
  }
  if (!request ||
      !WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr)) {
    return TransferFailed();
  }

  DownloadResult result;
  DWORD size = sizeof(result.status);
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &result.status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return TransferFailed();
  }
  if (result.status != HTTP_STATUS_OK) {
    result.outcome = DownloadOutcome::HttpStatus;
    return result;
  }
  const long long length = ContentLength(request.get());
  if (length >= 0 && static_cast<unsigned long long>(length) > limits.maxBytes) {
    result.outcome = DownloadOutcome::TooLarge;
    return result;
  }
  return ReceiveBody(request.get(), out, length, limits, progress, result);
}

std::wstring DownloadProblem(const DownloadResult& result) {
  const std::pair<std::wstring_view, std::wstring> error{L"error", std::to_wstring(result.error)};
  switch (result.outcome) {
    case DownloadOutcome::Done: return {};
    case DownloadOutcome::BadAddress: return Tr(L"the address is not an http:// or https:// address");
    case DownloadOutcome::NoConnection:
      return result.error ? Fill(Tr(L"no connection to the server (error {error})"), {error})
                          : Tr(L"no connection to the server");
    case DownloadOutcome::TimedOut: return Tr(L"the server did not answer in time");
    case DownloadOutcome::HttpStatus:
      return Fill(Tr(L"the server answered {status}"), {{L"status", std::to_wstring(result.status)}});
    case DownloadOutcome::TooLarge: return Tr(L"the file is larger than the limit");
    case DownloadOutcome::Truncated: return Tr(L"the transfer ended before the whole file came");
    case DownloadOutcome::WriteFailed:
      return result.error ? Fill(Tr(L"the file could not be written (error {error})"), {error})
                          : Tr(L"the file could not be written");
    case DownloadOutcome::Stopped: return Tr(L"it was stopped");
  }
  return {};
}

}  // namespace platform
