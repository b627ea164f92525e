// Run-time guards of the program's logic. Each one is fatal when broken: it reports the runtime
// error of its code and ends the program (runtime/errors/runtime_error.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>

#include "runtime/commands/values.h"

namespace lq {

// Multiple choice: error 9 unless 1 <= index <= count.
void CheckChoiceIndex(std::int32_t index, std::int32_t count);

// The index-th (1-based) of the choices, after CheckChoiceIndex.
template <class... Choices>
std::common_type_t<Choices...> Choose(std::int32_t index, Choices&&... choices) {
  CheckChoiceIndex(index, static_cast<std::int32_t>(sizeof...(Choices)));
  std::common_type_t<Choices...> chosen{};
  std::int32_t at = 0;
  ((++at == index ? (void)(chosen = std::forward<Choices>(choices)) : void()), ...);
  return chosen;
}

// Wrong kind: error 5 unless the value is a single (not array) value of the kind.
void CheckKind(const Value& value, Kind kind);

}  // namespace lq
