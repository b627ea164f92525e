// The share page of the version notice: any bytes as the page's body, through the UTF-8 to GBK
// conversion and the title markers. What comes out must stand in the converted page between the
// two markers.
//
// clang keeps narrow literals in UTF-8, so the markers are spelled here in the GBK bytes that the
// program's own build gives them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/version_notice.h"
#include "runtime/commands/conversions.h"
#include "web/utf8_to_gbk.h"

namespace {

// "<title>" and "_免费高速下载|百度云 网盘-分享无限制</title>" in GBK.
const lq::Text kStart("<title>");
const lq::Text kSuffix(
    "_\xC3\xE2\xB7\xD1\xB8\xDF\xCB\xD9\xCF\xC2\xD4\xD8|\xB0\xD9\xB6\xC8\xD4\xC6 \xCD\xF8\xC5\xCC-"
    "\xB7\xD6\xCF\xED\xCE\xDE\xCF\xDE\xD6\xC6</title>");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lq::ByteSet page(data, size);
  const lq::Text latest = lq::TitleBetweenMarkers(page, kStart, kSuffix);
  if (!latest.empty()) {
    const lq::Text text = lq::ToText(lq::Value(lq::Utf8ToGbk(lq::ToText(lq::Value(page)))));
    const std::string framed = kStart.str() + latest.str() + kSuffix.str();
    if (text.str().find(framed) == std::string::npos) std::abort();
  }
  return 0;
}
