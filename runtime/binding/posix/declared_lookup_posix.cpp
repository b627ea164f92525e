// Natively nothing is declared: the platform routines that take a lookup call their own.
#include "runtime/binding/program_declarations.h"

namespace lq {

FunctionLookup DeclaredLookup(DeclaredFunctionId /*id*/) { return nullptr; }

}  // namespace lq
