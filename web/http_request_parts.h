// The parts of the HTTP request that need no network: verb, user agent, proxy setting, request
// flags, default headers and the cookies of a response's headers.
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"

namespace lq {

inline constexpr char kDefaultUserAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// "GET" for 0, "POST" for 1, "HEAD" for 2; any other method counts as 0.
enum class HttpMethod : std::int32_t { kGet = 0, kPost = 1, kHead = 2 };
HttpMethod HttpMethodOf(std::int32_t method);
const char* HttpVerb(HttpMethod method);

// The value of the first extra-header line that holds "User-Agent:" (in any letter case), up to
// the end of that line and trimmed; the default agent when there is none or it is empty.
Text UserAgentFor(const Text& extra_headers);

// How the session reaches the server: directly without a proxy; through the proxy otherwise,
// named as given for https and as "http=" + proxy for plain http, with an empty bypass list.
struct ProxySetting {
  std::uint32_t access_type = 1;  // 1 direct, 3 named proxy
  bool use_proxy = false;         // false: proxy name and bypass list are null
  Text proxy_name;
  Text bypass_list;
};
ProxySetting ProxySettingFor(const Text& proxy, bool https);

// Request flags of the WinInet request.
inline constexpr std::uint32_t kFlagReload = 0x80000000;
inline constexpr std::uint32_t kFlagNeedFile = 0x10;
inline constexpr std::uint32_t kFlagNoCookies = 0x80000;
inline constexpr std::uint32_t kFlagNoAutoRedirect = 0x200000;
inline constexpr std::uint32_t kFlagSecure = 0x800000;
inline constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x4000;
std::uint32_t RequestFlags(bool cookie_text_supplied, bool no_redirect, bool https);

// Appends the default request headers that the caller's headers lack, in this order (each
// search exact and case-sensitive): "Accept: */*" (the whole text when it is empty), "Referer: "
// with the URL, "Accept-Language: zh-cn", "Content-Type: application/x-www-form-urlencoded";
// then "Cookie: " with the cookie text whenever that is not empty. Lines are joined by "\r\n".
void AppendDefaultHeaders(Text& headers, const Text& url, const Text& cookie_text);

// The raw response headers with every "Set-Cookie" in any letter case written "Set-Cookie".
Text NormalizeSetCookie(const Text& raw_headers);

// The name=value pairs of the Set-Cookie lines of normalized response headers, in order, joined
// by "; ": of each line that begins with "Set-Cookie:", the text after it up to the first ";",
// trimmed. Empty pairs are left out.
Text ReceivedCookies(const Text& response_headers);

}  // namespace lq
