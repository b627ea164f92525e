// GBK texts of this layer as UTF-16 for the W functions (code page 936).
#pragma once

#include <string>
#include <string_view>

namespace lq {

std::wstring WideFromGbk(std::string_view gbk);

}  // namespace lq
