#include "runtime/binding/win32/declared_call.h"

#include <array>
#include <utility>

#include "runtime/binding/win32/system_module_loader.h"
#include "runtime/errors/program_end.h"

namespace lq {
namespace {

template <std::size_t... kIndex>
constexpr std::array<FunctionLookup, sizeof...(kIndex)> EntryLookups(
    std::index_sequence<kIndex...>) {
  return {&LookUpDeclared<static_cast<DeclaredFunctionId>(kIndex)>...};
}

}  // namespace

DeclaredFunctionBinder& ProgramDeclaredFunctions() {
  // Never destroyed: the orderly end unloads the modules, and calls may come until then.
  static DeclaredFunctionBinder& binder = []() -> DeclaredFunctionBinder& {
    auto* created = new DeclaredFunctionBinder(kProgramDeclarations, *new SystemModuleLoader);
    AddEndHook(EndStage::kUnloadDeclaredModules, [created] { created->UnloadAll(); });
    return *created;
  }();
  return binder;
}

FunctionLookup DeclaredLookup(DeclaredFunctionId id) {
  static constexpr auto kLookups =
      EntryLookups(std::make_index_sequence<kProgramDeclarations.size()>());
  return kLookups[static_cast<std::size_t>(id)];
}

}  // namespace lq
