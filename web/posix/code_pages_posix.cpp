// Without the system's functions there is nothing to declare: the platform converts directly.
#include "runtime/platform/code_pages.h"
#include "web/declared_code_pages.h"

namespace lq {

std::optional<std::u16string> DecodeThroughDeclared(std::string_view bytes,
                                                    std::uint32_t code_page) {
  return platform::DecodeCodePage(bytes, code_page);
}

std::optional<std::string> EncodeThroughDeclared(std::u16string_view units,
                                                 std::uint32_t code_page) {
  return platform::EncodeCodePage(units, code_page);
}

}  // namespace lq
