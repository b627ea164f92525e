#include "runtime/binding/win32/declared_call.h"

#include "runtime/binding/win32/system_module_loader.h"
#include "runtime/errors/program_end.h"

namespace lq {

DeclaredFunctionBinder& ProgramDeclaredFunctions() {
  // Never destroyed: the orderly end unloads the modules, and calls may come until then.
  static DeclaredFunctionBinder& binder = []() -> DeclaredFunctionBinder& {
    auto* created = new DeclaredFunctionBinder(kProgramDeclarations, *new SystemModuleLoader);
    AddEndHook(EndStage::kUnloadDeclaredModules, [created] { created->UnloadAll(); });
    return *created;
  }();
  return binder;
}

}  // namespace lq
