// Event handlers: the program's subroutines that the runtime calls for numbered events.
//
// A handler is a parameterless subroutine, one that answers with a logical value (the close
// queries), one that takes the integer argument of its event (the tray event), or a subroutine
// bound to a context: an object it works on and a small value (which button of a row, which slot)
// that the binding fixes. A default Handler is "no handler". Handlers hold only pointers and
// integers, so templates holding them stay constant data.
#pragma once

#include <cstdint>
#include <span>

namespace lq {

class Handler {
 public:
  using Plain = void (*)();
  using Answering = bool (*)();
  using WithArgument = void (*)(std::int32_t);
  // A bound handler's entry: its context and its value.
  using WithContext = void (*)(void* context, std::int32_t value);

  constexpr Handler() = default;
  constexpr Handler(Plain f) : kind_(f ? kPlain : kNone), plain_(f) {}              // NOLINT
  constexpr Handler(Answering f) : kind_(f ? kAnswering : kNone), answering_(f) {}  // NOLINT
  constexpr Handler(WithArgument f)
      : kind_(f ? kWithArgument : kNone), with_argument_(f) {}  // NOLINT
  constexpr Handler(WithContext f, void* context, std::int32_t value)
      : kind_(f ? kWithContext : kNone), with_context_(f), context_(context), value_(value) {}

  // F(value): a function of one integer, bound to a value.
  template <void (*F)(std::int32_t)>
  static constexpr Handler Bind(std::int32_t value) {
    return Handler([](void*, std::int32_t v) { F(v); }, nullptr, value);
  }
  // (object.*F)(value): a member function of one integer, bound to an object and a value. The
  // object must outlive every window built from the template that holds the handler.
  template <auto F, class Object>
  static constexpr Handler Bind(Object& object, std::int32_t value) {
    return Handler([](void* o, std::int32_t v) { (static_cast<Object*>(o)->*F)(v); }, &object,
                   value);
  }

  constexpr explicit operator bool() const { return kind_ != kNone; }

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
      case kWithContext:
        with_context_(context_, value_);
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
      case kWithContext:
        return a.with_context_ == b.with_context_ && a.context_ == b.context_ &&
               a.value_ == b.value_;
      case kNone:
        break;
    }
    return true;
  }

 private:
  enum Kind : std::uint8_t { kNone, kPlain, kAnswering, kWithArgument, kWithContext };
  Kind kind_ = kNone;
  union {
    Plain plain_ = nullptr;
    Answering answering_;
    WithArgument with_argument_;
    WithContext with_context_;
  };
  void* context_ = nullptr;
  std::int32_t value_ = 0;
};

}  // namespace lq
