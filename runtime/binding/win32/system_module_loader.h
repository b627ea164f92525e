// The real library loader: LoadLibraryW, GetProcAddress and FreeLibrary.
#pragma once

#include <string>

#include "runtime/binding/declared_function.h"

namespace lq {

class SystemModuleLoader final : public ModuleLoader {
 public:
  ModuleHandle LoadBesideProgram(std::string_view name) override;
  ModuleHandle Load(std::string_view name) override;
  void Unload(ModuleHandle module) override;
  FunctionAddress FindExport(ModuleHandle module, std::string_view name) override;
  FunctionAddress FindOrdinal(ModuleHandle module, std::uint16_t ordinal) override;
};

// The directory of the program file, with a trailing backslash.
std::wstring ProgramDirectory();

}  // namespace lq
