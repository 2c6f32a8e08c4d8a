#pragma once
// A small HTTP(S) client on libcurl for the calendar server: one request at a time over one
// kept-alive connection. Waiting follows the mail clients' model: the transfer is driven in
// slices of about 50 ms, between which ProcessMessages runs and the cancel flag is checked. A
// transfer that moves no byte for TimeOut seconds ends with an error, and so does one that
// moves, however slowly, for longer than RequestTimeOut seconds, or a request still going
// RunTimeOut seconds after BeginRun: a server that trickles its reply cannot hold a sync for
// ever.
//
// Only http:// and https:// URLs are followed, and redirects are not: a server that moved
// must be named anew in the settings. Over https the certificate must chain to the system's
// trust store or to the certificates of the optional PEM file and must name the server.
// Basic authentication is sent with every request when a user is set.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"

typedef void CURL;
typedef void CURLM;

namespace moriva {

// The request could not be carried out: no connection, a TLS failure, a time-out, a cancel,
// a reply too large. The text says which, in the user's words.
class EHttpError : public Exception {
 public:
  EHttpError(const std::string& message, bool cancelled = false, bool tooLarge = false)
      : Exception(message), Cancelled(cancelled), TooLarge(tooLarge) {}
  bool Cancelled;
  bool TooLarge;  // the reply went past the request's MaxReplyBytes
};

struct THttpRequest {
  std::string Method;  // "PROPFIND", "REPORT", "PUT", "DELETE", ...
  std::string Url;
  std::vector<std::string> Headers;  // "Name: value" lines
  std::string Body;                  // sent when not empty
  // A caller's tighter bound on the reply's body (a sync that has little room left); the
  // smaller of it and kMaxHttpReplyBytes holds, with the same error past it.
  size_t MaxReplyBytes = SIZE_MAX;
};

struct THttpResponse {
  long Status = 0;
  std::string ETag;  // the ETag header as sent (quotes included); empty when none
  std::string Body;
};

// Replies beyond this size end the request: a calendar server never needs more, and a hostile
// one must not fill the memory.
inline constexpr size_t kMaxHttpReplyBytes = 256u << 20;
inline constexpr std::string_view kHttpReplyTooLargeText = "サーバーの応答が大きすぎます";

class THttpClient {
 public:
  THttpClient();
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // Basic authentication; an empty user sends none.
  void SetCredentials(std::string user, std::string password);
  // A PEM file of certificates trusted beside the system's, named as the settings hold it
  // (CP932); empty for none.
  void SetCaFile(std::string caFile) { caFile_ = std::move(caFile); }

  // Sends one request and waits for the whole reply; any HTTP status is returned, transport
  // failures throw EHttpError.
  THttpResponse Send(const THttpRequest& request);

  // Requests sent so far (also those that failed).
  size_t RequestCount() const { return requests_; }

  // Starts the clock of RunTimeOut for the requests from now on (a sync's, say).
  void BeginRun();

  int TimeOut = 60;          // seconds without progress, and to connect
  int RequestTimeOut = 120;  // seconds for one whole request
  int RunTimeOut = 600;      // seconds for every request since BeginRun
  std::function<void()> ProcessMessages;
  std::function<bool()> CancelRequested;
  // Called after each completed exchange with its number (1, 2, ...), before the reply is
  // handed back: lets a caller stop a run right after the server acted on a request.
  std::function<void(size_t number)> AfterExchange;

 private:
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  std::string user_, password_, caFile_;
  size_t requests_ = 0;
  std::chrono::steady_clock::time_point runEnd_ = std::chrono::steady_clock::time_point::max();
};

}  // namespace moriva
