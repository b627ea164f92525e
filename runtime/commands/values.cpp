#include "runtime/commands/values.h"

#include "runtime/commands/guards.h"

namespace lq {

double ClampDateTime(double days) {
  if (!(days >= kFirstDateTime)) return kFirstDateTime;
  return days > kLastDateTime ? kLastDateTime : days;
}

const Text& Value::AsText() const {
  CheckKind(*this, Kind::kText);
  return *get_if<Text>();
}

const ByteSet& Value::AsByteSet() const {
  CheckKind(*this, Kind::kByteSet);
  return *get_if<ByteSet>();
}

std::int32_t Value::AsInteger() const {
  CheckKind(*this, Kind::kInteger);
  return *get_if<std::int32_t>();
}

bool Value::AsLogical() const {
  CheckKind(*this, Kind::kLogical);
  return *get_if<std::int32_t>() != 0;
}

double Value::AsDouble() const {
  CheckKind(*this, Kind::kDouble);
  return *get_if<double>();
}

}  // namespace lq
