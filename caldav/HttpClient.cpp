#include "caldav/HttpClient.h"

#include <curl/curl.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <memory>

#include "base/CertificateReason.h"
#include "base/Cp932.h"

namespace moriva {
namespace {

struct TCurlGlobal {
  TCurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

struct TSlistFree {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

struct TReply {
  THttpResponse Response;
  size_t Limit = kMaxHttpReplyBytes;
  bool TooLarge = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* reply = static_cast<TReply*>(user);
  const size_t n = size * count;
  if (reply->Response.Body.size() + n > reply->Limit) {
    reply->TooLarge = true;
    return 0;
  }
  reply->Response.Body.append(data, n);
  return n;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* reply = static_cast<TReply*>(user);
  const size_t n = size * count;
  std::string_view line(data, n);
  // A new status line (after a 100 Continue or an authentication round) starts afresh.
  if (line.starts_with("HTTP/")) reply->Response.ETag.clear();
  if (StartsWithNoCase(line, "etag:")) {
    line.remove_prefix(5);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
      line.remove_suffix(1);
    reply->Response.ETag = std::string(line);
  }
  return n;
}

// "host:port" of a URL for the messages; the URL itself when curl cannot read it.
std::string ServerOf(const std::string& url) {
  std::string out = url;
  if (CURLU* u = curl_url()) {
    char* host = nullptr;
    char* port = nullptr;
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK)
      out = std::string(host) + ":" + port;
    curl_free(host);
    curl_free(port);
    curl_url_cleanup(u);
  }
  return out;
}

// The failure in the user's words: which server or file, and what to look at. curl's own
// text is English and says nothing a user could act on, so only its number is kept for the
// rare failures without a text of our own.
std::string FailureText(CURLcode code, CURL* easy, const std::string& url,
                        const std::string& caFile) {
  const std::string server = "サーバー " + ServerOf(url);
  switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION: {
      long verify = 0;
      curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verify);
      // curl checks the name itself once the chain is trusted, and a wrong name leaves the
      // result at its placeholder (unspecified), or at "ok".
      if (verify == X509_V_OK || verify == X509_V_ERR_UNSPECIFIED)
        verify = X509_V_ERR_HOSTNAME_MISMATCH;
      return "サーバーの" + CertificateReason(verify);
    }
    case CURLE_SSL_CACERT_BADFILE:
      return "証明書ファイル " + Cp932ToUtf8(caFile) + " を読めません";
    case CURLE_OPERATION_TIMEDOUT:
      return "サーバーが応答しません (時間切れ)";
    case CURLE_COULDNT_RESOLVE_HOST:
      return server.substr(0, server.rfind(':')) + " が見つかりません。URL を確かめてください。";
    case CURLE_COULDNT_CONNECT:
      return server + " へ接続できませんでした。サーバーが動いているか，URL を確かめてください。";
    case CURLE_SSL_CONNECT_ERROR:
      return server +
             " と TLS で接続できません。暗号化しないサーバーなら URL を http:// で始めてください。";
    case CURLE_GOT_NOTHING:
      return server +
             " から応答がありません。暗号化するサーバーなら URL を https:// で始めてください。";
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
      return server + " との接続が途中で切れました。";
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
      return "URL は http:// か https:// で始めてください";
    default:
      return "サーバーとの通信に失敗しました (エラー " + std::to_string(static_cast<int>(code)) +
             ")";
  }
}

// "90 秒", "10 分".
std::string Duration(int seconds) {
  return seconds >= 60 && seconds % 60 == 0 ? std::to_string(seconds / 60) + " 分"
                                            : std::to_string(seconds) + " 秒";
}

std::string RunTooLongText(int seconds) {
  return "サーバーとの通信が " + Duration(seconds) +
         "たっても終わらないので，中止しました。サーバーの応答が遅すぎます。";
}

}  // namespace

THttpClient::THttpClient() {
  static TCurlGlobal global;
  multi_ = curl_multi_init();
  easy_ = curl_easy_init();
  if (!multi_ || !easy_) throw EHttpError("HTTP を初期化できません");
}

THttpClient::~THttpClient() {
  curl_easy_cleanup(easy_);
  curl_multi_cleanup(multi_);
}

void THttpClient::SetCredentials(std::string user, std::string password) {
  user_ = std::move(user);
  password_ = std::move(password);
}

void THttpClient::BeginRun() {
  runEnd_ = std::chrono::steady_clock::now() + std::chrono::seconds(RunTimeOut);
}

THttpResponse THttpClient::Send(const THttpRequest& request) {
  using Clock = std::chrono::steady_clock;
  // A cancel asked for between two requests stops the next one before it leaves.
  if (CancelRequested && CancelRequested()) throw EHttpError("中止しました", true);
  if (Clock::now() >= runEnd_) throw EHttpError(RunTooLongText(RunTimeOut));
  const Clock::time_point requestEnd = Clock::now() + std::chrono::seconds(RequestTimeOut);
  ++requests_;
  // A reset keeps the open connection, so requests after the first reuse it.
  curl_easy_reset(easy_);
  TReply reply;
  reply.Limit = std::min(request.MaxReplyBytes, kMaxHttpReplyBytes);
  curl_easy_setopt(easy_, CURLOPT_URL, request.Url.c_str());
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, request.Method.c_str());
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &reply);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, &reply);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, static_cast<long>(TimeOut));
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, static_cast<long>(TimeOut));
  curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(easy_, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  if (!caFile_.empty()) {
    // The file adds to the system's store rather than replacing it.
    curl_easy_setopt(easy_, CURLOPT_CAINFO, Cp932ToUtf8(caFile_).c_str());
    curl_easy_setopt(easy_, CURLOPT_CAPATH, "/etc/ssl/certs");
  }
  if (!user_.empty()) {
    curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(easy_, CURLOPT_USERNAME, user_.c_str());
    curl_easy_setopt(easy_, CURLOPT_PASSWORD, password_.c_str());
  }
  std::unique_ptr<curl_slist, TSlistFree> headers;
  auto addHeader = [&](const std::string& h) {
    headers.reset(curl_slist_append(headers.release(), h.c_str()));
  };
  // Bodies go at once: waiting for "100 Continue" costs a round trip per request.
  addHeader("Expect:");
  for (const std::string& h : request.Headers) addHeader(h);
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers.get());
  if (!request.Body.empty()) {
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, request.Body.data());
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.Body.size()));
  }

  curl_multi_add_handle(multi_, easy_);
  CURLcode result = CURLE_OK;
  bool cancelled = false, requestTooLong = false, runTooLong = false;
  for (;;) {
    int running = 0;
    curl_multi_perform(multi_, &running);
    if (running == 0) {
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(multi_, &left))
        if (msg->msg == CURLMSG_DONE) result = msg->data.result;
      break;
    }
    curl_multi_poll(multi_, nullptr, 0, 50, nullptr);
    if (ProcessMessages) ProcessMessages();
    if (CancelRequested && CancelRequested()) {
      cancelled = true;
      break;
    }
    const Clock::time_point now = Clock::now();
    runTooLong = now >= runEnd_;
    requestTooLong = now >= requestEnd;
    if (runTooLong || requestTooLong) break;
  }
  curl_multi_remove_handle(multi_, easy_);
  if (cancelled) throw EHttpError("中止しました", true);
  if (runTooLong) throw EHttpError(RunTooLongText(RunTimeOut));
  if (requestTooLong)
    throw EHttpError("サーバー " + ServerOf(request.Url) + " の応答が " + Duration(RequestTimeOut) +
                     "たっても終わらないので，打ち切りました。");
  if (reply.TooLarge) throw EHttpError(std::string(kHttpReplyTooLargeText), false, true);
  if (result != CURLE_OK) throw EHttpError(FailureText(result, easy_, request.Url, caFile_));
  curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &reply.Response.Status);
  if (AfterExchange) AfterExchange(requests_);
  return std::move(reply.Response);
}

}  // namespace moriva
