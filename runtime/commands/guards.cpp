#include "runtime/commands/guards.h"

#include "runtime/errors/runtime_error.h"

namespace lq {

void CheckArrayIndex(std::int32_t index, std::int32_t count) {
  if (index < 1) RaiseRuntimeError(ErrorCode::kArrayIndexBelowOne);
  if (index > count) RaiseRuntimeError(ErrorCode::kArrayIndexTooLarge);
}

void CheckChoiceIndex(std::int32_t index, std::int32_t count) {
  if (index < 1 || index > count) RaiseRuntimeError(ErrorCode::kChoiceIndex);
}

void CheckKind(const Value& value, Kind kind) {
  if (value.kind() != kind || value.is_array()) RaiseRuntimeError(ErrorCode::kTypeMismatch);
}

}  // namespace lq
