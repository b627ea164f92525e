#include "web/http_request_parts.h"

#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"

namespace lq {
namespace {

constexpr char kLineBreak[] = "\r\n";
constexpr char kUserAgentMarker[] = "User-Agent:";
constexpr char kSetCookieMarker[] = "Set-Cookie:";

bool Contains(const Text& text, const Text& sought) {
  return FindText(text, sought, {}, false) != -1;
}

}  // namespace

HttpMethod HttpMethodOf(std::int32_t method) {
  return method >= 0 && method <= 2 ? static_cast<HttpMethod>(method) : HttpMethod::kGet;
}

const char* HttpVerb(HttpMethod method) {
  switch (method) {
    case HttpMethod::kPost:
      return "POST";
    case HttpMethod::kHead:
      return "HEAD";
    case HttpMethod::kGet:
      break;
  }
  return "GET";
}

Text UserAgentFor(const Text& extra_headers) {
  const std::int32_t at = FindText(extra_headers, kUserAgentMarker, {}, true);
  if (at == -1) return kDefaultUserAgent;
  const std::int32_t value_start = at + TextLength(kUserAgentMarker);
  const std::int32_t line_end = FindText(extra_headers, kLineBreak, value_start, false);
  const std::int32_t value_length =
      (line_end == -1 ? TextLength(extra_headers) + 1 : line_end) - value_start;
  Text agent = TrimSpaces(MidText(extra_headers, value_start, value_length));
  return agent.empty() ? Text(kDefaultUserAgent) : agent;
}

ProxySetting ProxySettingFor(const Text& proxy, bool https) {
  ProxySetting setting;
  if (proxy.empty()) return setting;
  setting.access_type = 3;
  setting.use_proxy = true;
  setting.proxy_name = https ? proxy : ConcatTexts("http=", proxy);
  return setting;
}

std::uint32_t RequestFlags(bool cookie_text_supplied, bool no_redirect, bool https) {
  std::uint32_t flags = kFlagReload | kFlagNeedFile;
  if (cookie_text_supplied) flags |= kFlagNoCookies;
  if (no_redirect) flags |= kFlagNoAutoRedirect;
  flags |= https ? kFlagSecure : kFlagIgnoreRedirectToHttps;
  return flags;
}

void AppendDefaultHeaders(Text& headers, const Text& url, const Text& cookie_text) {
  if (headers.empty()) {
    headers = "Accept: */*";
  } else if (!Contains(headers, "Accept:")) {
    headers += "\r\nAccept: */*";
  }
  if (!Contains(headers, "Referer:")) headers = ConcatTexts(headers, "\r\nReferer: ", url);
  if (!Contains(headers, "Accept-Language:")) headers += "\r\nAccept-Language: zh-cn";
  if (!Contains(headers, "Content-Type:")) {
    headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  }
  if (!cookie_text.empty()) headers = ConcatTexts(headers, "\r\nCookie: ", cookie_text);
}

Text NormalizeSetCookie(const Text& raw_headers) {
  return SubstituteText(raw_headers, "Set-Cookie", "Set-Cookie", {}, {}, false);
}

Text ReceivedCookies(const Text& response_headers) {
  Text received;
  for (const Text& line : SplitText(response_headers, Text(kLineBreak))) {
    // Only a Set-Cookie line counts, not a header that merely names it in its value.
    if (FindText(line, kSetCookieMarker, {}, false) != 1) continue;
    const Text value = RightText(line, TextLength(line) - TextLength(kSetCookieMarker));
    const std::int32_t semicolon = FindText(value, ";", {}, false);
    const Text cookie = TrimSpaces(semicolon == -1 ? value : LeftText(value, semicolon - 1));
    if (cookie.empty()) continue;
    received = ConcatTexts(received, cookie, "; ");
  }
  return LeftText(received, TextLength(received) - 2);
}

}  // namespace lq
