// A system function that a platform routine calls: as linked, or at an address that a lookup
// gives when the call is made. A routine that takes a lookup calls the linked function when it is
// given none. The program's declared functions are such lookups (runtime/binding).
#pragma once

namespace lq {

using FunctionAddress = void (*)();
using FunctionLookup = FunctionAddress (*)();

namespace platform {

// `linked` when there is no lookup; otherwise what the lookup gives, as a function of the same
// type.
template <class Function>
Function LinkedOr(FunctionLookup lookup, Function linked) {
  return lookup ? reinterpret_cast<Function>(lookup()) : linked;
}

}  // namespace platform
}  // namespace lq
