// HttpRequest on WinInet, a layer over the runtime's one transfer core: the request's options are
// its own, the send, the bounded read loop and the timeouts are the core's. The WinInet functions
// are the program's declared A functions: the URL, host, path and header texts go to them as the
// GBK bytes they are (ASCII in practice).
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/commands/text_commands.h"
#include "runtime/errors/win32/declared_call.h"
#include "runtime/system/http_read_rules.h"
#include "runtime/system/win32/http_core.h"
#include "web/cookies.h"
#include "web/http_request.h"
#include "web/http_request_rules.h"
#include "web/url_parts.h"
#include "web/win32/internet_handle.h"

namespace lq {
namespace {

constexpr char kHttpVersion[] = "HTTP/1.1";
constexpr DWORD kServiceHttp = 3;               // INTERNET_SERVICE_HTTP
constexpr DWORD kQueryRawHeadersCrLf = 22;      // HTTP_QUERY_RAW_HEADERS_CRLF
constexpr DWORD kQueryStatusCode = 19;          // HTTP_QUERY_STATUS_CODE
constexpr DWORD kQueryFlagNumber = 0x20000000;  // HTTP_QUERY_FLAG_NUMBER
constexpr std::int32_t kResponseHeadersSize = 5000;

// A text as the argument of an A function; null for "none".
const char* Arg(const Text& text) { return text.c_str(); }

bool QueryInfo(HINTERNET request, DWORD query, void* buffer, DWORD* length) {
  return CallDeclared<decltype(&::HttpQueryInfoA)>(DeclaredFunctionId::kHttpQueryInfoA, request,
                                                   query, buffer, length, nullptr) != FALSE;
}

// HttpRequest's request as the transfer core runs it: a session, connection and request of its
// own, reached through the program's declared A functions.
class RequestChannel : public sys::RequestChannel {
 public:
  RequestChannel(const Text& url, HttpMethod method, Text agent, ProxySetting proxy, DWORD flags,
                 Text headers, ByteSet body)
      : url_(url),
        method_(method),
        agent_(std::move(agent)),
        proxy_(std::move(proxy)),
        flags_(flags),
        headers_(std::move(headers)),
        body_(std::move(body)) {}

  HINTERNET Open() override {
    session_ = InternetHandle(CallDeclared<decltype(&::InternetOpenA)>(
        DeclaredFunctionId::kInternetOpenA, Arg(agent_), proxy_.access_type,
        proxy_.use_proxy ? Arg(proxy_.proxy_name) : nullptr,
        proxy_.use_proxy ? Arg(proxy_.bypass_list) : nullptr, 0));
    if (!session_) return nullptr;
    const Text host = ExtractHost(url_, false);
    const auto port = static_cast<INTERNET_PORT>(ExtractPort(url_));
    connection_ = InternetHandle(CallDeclared<decltype(&::InternetConnectA)>(
        DeclaredFunctionId::kInternetConnectA, session_.get(), Arg(host), port, nullptr, nullptr,
        kServiceHttp, 0, 0));
    if (!connection_) return nullptr;
    const Text path = ExtractObjectPath(url_);
    request_ = InternetHandle(CallDeclared<decltype(&::HttpOpenRequestA)>(
        DeclaredFunctionId::kHttpOpenRequestA, connection_.get(), HttpVerb(method_), Arg(path),
        kHttpVersion, nullptr, nullptr, flags_, 0));
    return request_.get();
  }

  bool Send() override {
    const auto headers_length = static_cast<DWORD>(TextLength(headers_));
    if (method_ == HttpMethod::kGet) {
      static char empty_text[] = "";
      return CallDeclared<decltype(&::HttpSendRequestA)>(DeclaredFunctionId::kHttpSendRequestText,
                                                         request_.get(), Arg(headers_),
                                                         headers_length, empty_text, 0) != FALSE;
    }
    void* data = body_.empty() ? nullptr : body_.data();
    return CallDeclared<decltype(&::HttpSendRequestA)>(
               DeclaredFunctionId::kHttpSendRequestBytes, request_.get(), Arg(headers_),
               headers_length, data, static_cast<DWORD>(body_.size())) != FALSE;
  }

  bool Read(void* buffer, DWORD size, DWORD* got) override {
    return CallDeclared<decltype(&::InternetReadFile)>(DeclaredFunctionId::kInternetReadFile,
                                                       request_.get(), buffer, size, got) != FALSE;
  }

  int Status() override {
    DWORD status = 0;
    DWORD size = sizeof status;
    return QueryInfo(request_.get(), kQueryStatusCode | kQueryFlagNumber, &status, &size)
               ? static_cast<int>(status)
               : 0;
  }

  std::optional<std::string> Header(DWORD query) override {
    char value[512];
    DWORD size = sizeof value;
    if (!QueryInfo(request_.get(), query, value, &size)) return std::nullopt;
    return std::string(value, std::min<DWORD>(size, sizeof value));
  }

  bool ExpectsBody() const override { return method_ != HttpMethod::kHead; }

  // The raw response headers; 5000 spaces when they do not fit in 5000 bytes.
  void Finish() override {
    std::string buffer(kResponseHeadersSize, ' ');
    DWORD length = kResponseHeadersSize;
    QueryInfo(request_.get(), kQueryRawHeadersCrLf, buffer.data(), &length);
    raw_headers_ = NormalizeSetCookie(Text(std::move(buffer)));
  }

  Text& raw_headers() { return raw_headers_; }
  Text& headers() { return headers_; }
  ByteSet& body() { return body_; }

 private:
  const Text url_;
  const HttpMethod method_;
  const Text agent_;
  const ProxySetting proxy_;
  const DWORD flags_;
  Text headers_;
  ByteSet body_;
  Text raw_headers_;
  // Closed in reverse order: request, connection, session.
  InternetHandle session_;
  InternetHandle connection_;
  InternetHandle request_;
};

}  // namespace

ByteSet HttpRequest(const Text& url, std::int32_t method_number, const Text& body_text,
                    Text* cookies, Text* received_cookies, Text* extra_headers,
                    Text* response_headers, bool no_redirect, ByteSet* body_bytes,
                    const Text& proxy, const TransferLimits& limits) {
  const HttpMethod method = HttpMethodOf(method_number);
  const bool https = IsHttpsUrl(url);
  const bool cookie_text_supplied = cookies != nullptr;
  const Text cookie_text = cookie_text_supplied ? *cookies : Text();
  Text headers = extra_headers != nullptr ? *extra_headers : Text();
  Text agent = UserAgentFor(headers);
  AppendDefaultHeaders(headers, url, cookie_text);
  ByteSet body = body_bytes != nullptr ? *body_bytes : ByteSet();
  if (method != HttpMethod::kGet && body.empty()) body = ByteSet::FromString(body_text.view());

  auto channel = std::make_shared<RequestChannel>(
      url, method, std::move(agent), ProxySettingFor(proxy, https),
      RequestFlags(cookie_text_supplied, no_redirect, https), std::move(headers), std::move(body));
  BodyCollector response;
  const sys::TransferReport report = sys::RunTransfer(channel, limits, response);
  // A request that got no answer, or one past its limits, leaves the caller's variables as they
  // were; a body that broke off is returned as far as it came.
  switch (report.end) {
    case TransferEnd::kComplete:
    case TransferEnd::kBroken:
    case TransferEnd::kStopped:
      break;
    default:
      return {};
  }
  if (response.out_of_memory() || !report.finished) return {};

  Text raw_headers = std::move(channel->raw_headers());
  Text received = ReceivedCookies(raw_headers);
  if (extra_headers != nullptr) *extra_headers = std::move(channel->headers());
  if (body_bytes != nullptr && method != HttpMethod::kGet) *body_bytes = std::move(channel->body());
  if (response_headers != nullptr) *response_headers = std::move(raw_headers);
  if (cookie_text_supplied) MergeCookies(*cookies, received);
  if (received_cookies != nullptr) *received_cookies = std::move(received);
  return response.Body();
}

}  // namespace lq
