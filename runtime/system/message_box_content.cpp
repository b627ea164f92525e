#include "runtime/system/message_box_content.h"

#include "runtime/commands/conversions.h"

namespace lq {

Text MessageBoxContentText(const Value& content) {
  if (content.is_array()) return Text();
  switch (content.kind()) {
    case Kind::kText:
    case Kind::kByte:
    case Kind::kShort:
    case Kind::kInteger:
    case Kind::kLong:
    case Kind::kFloat:
    case Kind::kDouble:
    case Kind::kLogical:
    case Kind::kDateTime:
      return ToText(content);
    default:
      return Text();
  }
}

}  // namespace lq
