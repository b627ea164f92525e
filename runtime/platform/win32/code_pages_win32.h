// The code-page conversion on Windows: MultiByteToWideChar and WideCharToMultiByte with the code
// page named. Callers that reach these functions through a binding of their own pass it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace lq::platform {

using ToWideFunction = decltype(&::MultiByteToWideChar);
using FromWideFunction = decltype(&::WideCharToMultiByte);

// The units of exactly these bytes; nullopt when the conversion fails (an unknown code page, or
// more than fits a 32-bit length).
std::optional<std::wstring> ToWide(std::string_view bytes, UINT code_page,
                                   ToWideFunction convert = &::MultiByteToWideChar);
std::optional<std::string> FromWide(std::wstring_view units, UINT code_page,
                                    FromWideFunction convert = &::WideCharToMultiByte);

}  // namespace lq::platform
