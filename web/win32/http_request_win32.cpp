// HttpRequest on the runtime's one WinInet request and transfer engine: the request's options are
// its own, the send, the bounded read loop and the timeouts are the engine's. WinInet is reached
// through the program's declared A functions: the URL, host, path and header texts go to them as
// the GBK bytes they are (ASCII in practice).
#include <memory>
#include <string>

#include "runtime/commands/text_commands.h"
#include "runtime/system/response_body.h"
#include "runtime/system/win32/internet_request.h"
#include "web/cookies.h"
#include "web/http_request.h"
#include "web/http_request_parts.h"
#include "web/url_parts.h"

namespace lq {
namespace {

static_assert(kFlagReload == INTERNET_FLAG_RELOAD && kFlagNeedFile == INTERNET_FLAG_NEED_FILE &&
              kFlagNoCookies == INTERNET_FLAG_NO_COOKIES &&
              kFlagNoAutoRedirect == INTERNET_FLAG_NO_AUTO_REDIRECT &&
              kFlagSecure == INTERNET_FLAG_SECURE &&
              kFlagIgnoreRedirectToHttps == INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS);
static_assert(INTERNET_OPEN_TYPE_DIRECT == 1 && INTERNET_OPEN_TYPE_PROXY == 3);

constexpr char kHttpVersion[] = "HTTP/1.1";
constexpr std::uint32_t kResponseHeadersSize = 5000;

std::optional<std::string> Named(bool used, const Text& text) {
  return used ? std::optional<std::string>(std::string(text.view())) : std::nullopt;
}

}  // namespace

ByteSet HttpRequest(const Text& url, HttpRequestArguments& arguments) {
  const HttpMethod method = HttpMethodOf(arguments.method);
  const bool https = IsHttpsUrl(url);
  const bool cookie_text_supplied = arguments.cookies.has_value();
  const Text cookie_text = arguments.cookies.value_or(Text());
  Text headers = arguments.extra_headers;
  const Text agent = UserAgentFor(headers);
  AppendDefaultHeaders(headers, url, cookie_text);
  ByteSet body = arguments.body_bytes;
  if (method != HttpMethod::kGet && body.empty()) {
    body = ByteSet::FromString(arguments.body_text.view());
  }

  sys::RequestOptions options;
  options.calls = sys::InternetCalls::kDeclared;
  options.shared_session = false;
  options.agent = std::string(agent.view());
  const ProxySetting proxy = ProxySettingFor(arguments.proxy, https);
  options.access = proxy.access_type;
  options.proxy_name = Named(proxy.use_proxy, proxy.proxy_name);
  options.bypass_list = Named(proxy.use_proxy, proxy.bypass_list);
  options.target.host = std::string(ExtractHost(url, false).view());
  options.target.port = static_cast<INTERNET_PORT>(ExtractPort(url));
  options.target.object = std::string(ExtractObjectPath(url).view());
  options.verb = HttpVerb(method);
  options.version = kHttpVersion;
  options.flags = RequestFlags(cookie_text_supplied, arguments.no_redirect, https);
  options.headers = std::string(headers.view());
  options.send_bytes = method != HttpMethod::kGet;
  options.body = std::move(body);
  options.expects_body = method != HttpMethod::kHead;
  options.raw_headers_size = kResponseHeadersSize;

  auto request = std::make_shared<sys::InternetRequest>(std::move(options));
  BodyCollector response;
  const TransferReport report = RunTransfer(request, arguments.limits, response);
  // No request at all, or one cut off while it may still be under way, leaves the caller's
  // variables as they were. So does a body past the cap or past memory.
  if (!report.opened || !report.finished || report.end == TransferEnd::kTooLarge ||
      response.out_of_memory()) {
    return {};
  }
  // Any other end, a request that could not be sent among them, writes the variables back.
  Text raw_headers = NormalizeSetCookie(Text(std::move(request->raw_headers())));
  Text received = ReceivedCookies(raw_headers);
  arguments.extra_headers = std::move(headers);
  if (method != HttpMethod::kGet) arguments.body_bytes = std::move(request->body());
  arguments.response_headers = std::move(raw_headers);
  if (cookie_text_supplied) MergeCookies(*arguments.cookies, received);
  arguments.received_cookies = std::move(received);
  return response.Body();
}

ByteSet HttpRequest(const Text& url, const TransferLimits& limits) {
  HttpRequestArguments arguments;
  arguments.limits = limits;
  return HttpRequest(url, arguments);
}

}  // namespace lq
