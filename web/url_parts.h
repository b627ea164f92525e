// Taking an HTTP URL apart: host, port and object path. "http://" is assumed when a URL has no
// scheme.
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"

namespace lq {

// True when the URL's first five bytes, lower-cased, are "https".
bool IsHttpsUrl(const Text& url);

// The host part, lower-cased: from after the scheme to the first "/", with its colon and port
// when `keep_port` is true.
Text ExtractHost(const Text& url, bool keep_port);

// The number after the last colon of the host part (an empty number gives 0); without a colon
// 443 for an https URL and 80 otherwise.
std::int32_t ExtractPort(const Text& url);

// From the "/" after the host to the end of the URL, query and fragment included; "/" when the
// URL has nothing after its host.
Text ExtractObjectPath(const Text& url);

}  // namespace lq
