#include "runtime/commands/sort_array.h"

namespace lq {
namespace {

template <NumericElement T>
bool SortIfHeld(Value& value, bool ascending) {
  Array<T>* array = value.get_if<Array<T>>();
  if (array) SortArray(*array, ascending);
  return array != nullptr;
}

}  // namespace

void SortArray(Value& array, bool ascending) {
  SortIfHeld<std::uint8_t>(array, ascending) || SortIfHeld<std::int16_t>(array, ascending) ||
      SortIfHeld<std::int32_t>(array, ascending) || SortIfHeld<std::int64_t>(array, ascending) ||
      SortIfHeld<float>(array, ascending) || SortIfHeld<double>(array, ascending);
}

}  // namespace lq
