#include "web/url_parts.h"

#include "runtime/commands/conversions.h"
#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"
#include "web/text_markers.h"

namespace lq {
namespace {

constexpr char kHttpScheme[] = "http://";
constexpr char kHttpsScheme[] = "https://";

bool StartsWith(const Text& text, const Text& prefix) {
  return CompareTexts(LeftText(text, TextLength(prefix)), prefix) == 0;
}

// Length of the scheme the URL starts with (any letter case), 0 when it has none.
std::int32_t SchemeLength(const Text& url) {
  const Text lower = ToLowerCase(url);
  if (StartsWith(lower, kHttpsScheme)) return TextLength(kHttpsScheme);
  if (StartsWith(lower, kHttpScheme)) return TextLength(kHttpScheme);
  return 0;
}

}  // namespace

bool IsHttpsUrl(const Text& url) {
  return CompareTexts(ToLowerCase(LeftText(url, 5)), "https") == 0;
}

Text ExtractHost(const Text& url, bool keep_port) {
  Text u = ToLowerCase(url);
  if (u.empty() || u.at(u.str().size() - 1) != '/') u += "/";
  Text host;
  if (StartsWith(u, kHttpsScheme)) {
    host = TextBetween(u, kHttpsScheme, "/");
  } else {
    // Only a scheme at the start counts: a scheme-less URL may carry "http://" in its query.
    if (!StartsWith(u, kHttpScheme)) u = ConcatTexts(kHttpScheme, u);
    host = TextBetween(u, kHttpScheme, "/");
  }
  if (keep_port) return host;
  const std::int32_t colon = FindText(host, ":", {}, false);
  return colon == -1 ? host : LeftText(host, colon - 1);
}

std::int32_t ExtractPort(const Text& url) {
  const Text host = ExtractHost(url, true);
  const std::int32_t colon = FindTextBackward(host, ":", {}, false);
  if (colon != -1) return ToInteger(Value(RightText(host, TextLength(host) - colon)));
  return IsHttpsUrl(url) ? 443 : 80;
}

Text ExtractObjectPath(const Text& url) {
  const Text host = ExtractHost(url, false);
  // The host is looked for behind the scheme, so that a host such as "h" or "tp" is not found
  // inside the scheme itself.
  const std::int32_t behind_scheme = SchemeLength(url) + 1;
  const std::int32_t a = host.empty() ? behind_scheme : FindText(url, host, behind_scheme, true);
  const std::int32_t b = FindText(url, "/", a, true);
  if (b == -1) return "/";
  return RightText(url, TextLength(url) - b + 1);
}

}  // namespace lq
