#include "web/code_pages.h"

namespace lq {

Text Utf8ToGbk(const Text& utf8) {
  return WideToCodePage(CodePageToWide(utf8, kUtf8CodePage), kGbkCodePage);
}

}  // namespace lq
