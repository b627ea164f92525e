// HttpRequest on WinInet. The WinInet functions are the program's declared A functions: the URL,
// host, path and header texts go to them as the GBK bytes they are (ASCII in practice).
#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <vector>

#include "runtime/commands/text_commands.h"
#include "runtime/errors/win32/declared_call.h"
#include "web/cookies.h"
#include "web/http_request.h"
#include "web/http_request_rules.h"
#include "web/url_parts.h"
#include "web/win32/internet_handle.h"

namespace lq {
namespace {

constexpr char kHttpVersion[] = "HTTP/1.1";
constexpr DWORD kServiceHttp = 3;           // INTERNET_SERVICE_HTTP
constexpr DWORD kQueryRawHeadersCrLf = 22;  // HTTP_QUERY_RAW_HEADERS_CRLF
constexpr std::int32_t kResponseHeadersSize = 5000;
// Each read asks for up to this many bytes and appends what arrives to the body in place. WinInet's
// cost per read call dominates small reads: reads of 1 KiB are about ten times slower.
constexpr DWORD kReadSize = 1024 * 1024;
// Room reserved for the body from its announced length at most: the length is only a hint.
constexpr std::uint32_t kMaxReservedBody = 64 * 1024 * 1024;
constexpr DWORD kQueryContentLength = 5;        // HTTP_QUERY_CONTENT_LENGTH
constexpr DWORD kQueryFlagNumber = 0x20000000;  // HTTP_QUERY_FLAG_NUMBER

// A text as the argument of an A function; null for "none".
const char* Arg(const Text& text) { return text.c_str(); }

InternetHandle OpenSession(const Text& agent, const ProxySetting& proxy) {
  return InternetHandle(CallDeclared<decltype(&::InternetOpenA)>(
      DeclaredFunctionId::kInternetOpenA, Arg(agent), proxy.access_type,
      proxy.use_proxy ? Arg(proxy.proxy_name) : nullptr,
      proxy.use_proxy ? Arg(proxy.bypass_list) : nullptr, 0));
}

InternetHandle Connect(const InternetHandle& session, const Text& url) {
  const Text host = ExtractHost(url, false);
  const auto port = static_cast<INTERNET_PORT>(ExtractPort(url));
  return InternetHandle(CallDeclared<decltype(&::InternetConnectA)>(
      DeclaredFunctionId::kInternetConnectA, session.get(), Arg(host), port, nullptr, nullptr,
      kServiceHttp, 0, 0));
}

InternetHandle OpenRequest(const InternetHandle& connection, HttpMethod method, const Text& url,
                           DWORD flags) {
  const Text path = ExtractObjectPath(url);
  return InternetHandle(CallDeclared<decltype(&::HttpOpenRequestA)>(
      DeclaredFunctionId::kHttpOpenRequestA, connection.get(), HttpVerb(method), Arg(path),
      kHttpVersion, nullptr, nullptr, flags, 0));
}

bool Send(const InternetHandle& request, HttpMethod method, const Text& headers,
          const ByteSet& body) {
  const auto headers_length = static_cast<DWORD>(TextLength(headers));
  if (method == HttpMethod::kGet) {
    static char empty_text[] = "";
    return CallDeclared<decltype(&::HttpSendRequestA)>(DeclaredFunctionId::kHttpSendRequestText,
                                                       request.get(), Arg(headers), headers_length,
                                                       empty_text, 0) != FALSE;
  }
  void* data = body.empty() ? nullptr : const_cast<std::uint8_t*>(body.data());
  return CallDeclared<decltype(&::HttpSendRequestA)>(
             DeclaredFunctionId::kHttpSendRequestBytes, request.get(), Arg(headers), headers_length,
             data, static_cast<DWORD>(body.size())) != FALSE;
}

// The announced length of the body, 0 when there is none.
std::uint32_t AnnouncedLength(const InternetHandle& request) {
  DWORD length = 0;
  DWORD size = sizeof length;
  if (!CallDeclared<decltype(&::HttpQueryInfoA)>(DeclaredFunctionId::kHttpQueryInfoA, request.get(),
                                                 kQueryContentLength | kQueryFlagNumber, &length,
                                                 &size, nullptr)) {
    return 0;
  }
  return length;
}

// Reads until a read brings 0 bytes (a failing read ends the body there). Room for an announced
// length is reserved first, so that a large body is not moved as it grows.
ByteSet ReadBody(const InternetHandle& request) {
  std::vector<std::uint8_t> body;
  const std::uint32_t announced = AnnouncedLength(request);
  body.reserve(std::size_t{announced < kMaxReservedBody ? announced : kMaxReservedBody} +
               kReadSize);
  for (;;) {
    const std::size_t filled = body.size();
    body.resize(filled + kReadSize);
    DWORD count = 0;
    CallDeclared<decltype(&::InternetReadFile)>(DeclaredFunctionId::kInternetReadFile,
                                                request.get(), body.data() + filled, kReadSize,
                                                &count);
    body.resize(filled + (count <= kReadSize ? count : 0));
    if (count == 0) break;
  }
  return ByteSet(std::move(body));
}

// The raw response headers; 5000 spaces when they do not fit in 5000 bytes.
Text QueryResponseHeaders(const InternetHandle& request) {
  std::string buffer(kResponseHeadersSize, ' ');
  DWORD length = kResponseHeadersSize;
  CallDeclared<decltype(&::HttpQueryInfoA)>(DeclaredFunctionId::kHttpQueryInfoA, request.get(),
                                            kQueryRawHeadersCrLf, buffer.data(), &length, nullptr);
  return NormalizeSetCookie(Text(std::move(buffer)));
}

}  // namespace

ByteSet HttpRequest(const Text& url, std::int32_t method_number, const Text& body_text,
                    Text* cookies, Text* received_cookies, Text* extra_headers,
                    Text* response_headers, bool no_redirect, ByteSet* body_bytes,
                    const Text& proxy, const TransferLimits& /*limits*/) {
  const HttpMethod method = HttpMethodOf(method_number);
  const bool https = IsHttpsUrl(url);
  const bool cookie_text_supplied = cookies != nullptr;
  const Text cookie_text = cookie_text_supplied ? *cookies : Text();
  Text headers = extra_headers != nullptr ? *extra_headers : Text();

  InternetHandle session = OpenSession(UserAgentFor(headers), ProxySettingFor(proxy, https));
  if (!session) return {};
  InternetHandle connection = Connect(session, url);
  if (!connection) return {};
  InternetHandle request =
      OpenRequest(connection, method, url, RequestFlags(cookie_text_supplied, no_redirect, https));
  if (!request) return {};

  AppendDefaultHeaders(headers, url, cookie_text);
  ByteSet body = body_bytes != nullptr ? *body_bytes : ByteSet();
  if (method != HttpMethod::kGet && body.empty()) body = ByteSet::FromString(body_text.view());
  // A request that never reached a server leaves the caller's variables as they were.
  if (!Send(request, method, headers, body)) return {};

  ByteSet response = ReadBody(request);
  Text raw_headers = QueryResponseHeaders(request);
  request.Close();
  connection.Close();
  session.Close();

  Text received = ReceivedCookies(raw_headers);
  if (extra_headers != nullptr) *extra_headers = std::move(headers);
  if (body_bytes != nullptr && method != HttpMethod::kGet) *body_bytes = std::move(body);
  if (response_headers != nullptr) *response_headers = std::move(raw_headers);
  if (cookie_text_supplied) MergeCookies(*cookies, received);
  if (received_cookies != nullptr) *received_cookies = std::move(received);
  return response;
}

}  // namespace lq
