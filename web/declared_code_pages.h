// The platform's code-page conversion as the web routines reach it: on Windows through the
// program's declared MultiByteToWideChar and WideCharToMultiByte, elsewhere directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lq {

std::optional<std::u16string> DecodeThroughDeclared(std::string_view bytes,
                                                    std::uint32_t code_page);
std::optional<std::string> EncodeThroughDeclared(std::u16string_view units,
                                                 std::uint32_t code_page);

}  // namespace lq
