// Event handlers: the program's subroutines that the runtime calls for numbered events.
//
// A handler is a parameterless subroutine, one that answers with a logical value (the close
// queries), or one that takes the integer argument of its event (the tray event). A default
// Handler is "no handler". Handlers are plain function pointers, so templates holding them stay
// constant data.
#pragma once

#include <cstdint>
#include <span>

namespace lq {

class Handler {
 public:
  using Plain = void (*)();
  using Answering = bool (*)();
  using WithArgument = void (*)(std::int32_t);

  constexpr Handler() = default;
  constexpr Handler(Plain f) : kind_(f ? kPlain : kNone), plain_(f) {}              // NOLINT
  constexpr Handler(Answering f) : kind_(f ? kAnswering : kNone), answering_(f) {}  // NOLINT
  constexpr Handler(WithArgument f)
      : kind_(f ? kWithArgument : kNone), with_argument_(f) {}  // NOLINT

  constexpr explicit operator bool() const { return kind_ != kNone; }
  constexpr bool Answers() const { return kind_ == kAnswering; }

  struct Outcome {
    bool answered = false;  // the handler returns a logical value
    bool answer = false;
  };

  // Calls the handler with the event's arguments (a missing argument is 0).
  Outcome Call(std::span<const std::int32_t> args) const {
    switch (kind_) {
      case kPlain:
        plain_();
        return {};
      case kAnswering:
        return {true, answering_()};
      case kWithArgument:
        with_argument_(args.empty() ? 0 : args[0]);
        return {};
      case kNone:
        break;
    }
    return {};
  }

  friend constexpr bool operator==(const Handler& a, const Handler& b) {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
      case kPlain:
        return a.plain_ == b.plain_;
      case kAnswering:
        return a.answering_ == b.answering_;
      case kWithArgument:
        return a.with_argument_ == b.with_argument_;
      case kNone:
        break;
    }
    return true;
  }

 private:
  enum Kind : std::uint8_t { kNone, kPlain, kAnswering, kWithArgument };
  Kind kind_ = kNone;
  union {
    Plain plain_ = nullptr;
    Answering answering_;
    WithArgument with_argument_;
  };
};

}  // namespace lq
