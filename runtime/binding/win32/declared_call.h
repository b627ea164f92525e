// The program's declared system functions, bound through the system loader and called typed:
//   DWORD id = CallDeclared<decltype(&::GetCurrentProcessId)>(
//       DeclaredFunctionId::kGetCurrentProcessId);
// A missing library or function is the fatal report at the first call. The modules stay loaded
// until the orderly end unloads them.
#pragma once

#include <cstddef>
#include <utility>

#include "runtime/binding/declared_function.h"
#include "runtime/binding/program_declarations.h"

namespace lq {

DeclaredFunctionBinder& ProgramDeclaredFunctions();

// The entry's address, bound at its first use; a failure is the fatal report.
inline FunctionAddress BindDeclaredFunction(DeclaredFunctionId id) {
  return ProgramDeclaredFunctions().Bind(static_cast<std::size_t>(id));
}

// The entry as a lookup for the platform's routines (runtime/platform/system_function.h): it binds
// the entry at its first use.
template <DeclaredFunctionId kId>
FunctionAddress LookUpDeclared() {
  return BindDeclaredFunction(kId);
}

template <class Fn, class... Args>
decltype(auto) CallDeclared(DeclaredFunctionId id, Args&&... args) {
  return ProgramDeclaredFunctions().Call<Fn>(static_cast<std::size_t>(id),
                                             std::forward<Args>(args)...);
}

}  // namespace lq
