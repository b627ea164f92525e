// A module loader over made-up libraries that records every call, for binding tests that need
// no real system.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/binding/declared_function.h"

namespace lq::test {

struct FakeLibrary {
  bool beside_program = false;  // found in the program's directory
  bool on_system_path = false;  // found by the system's search (or as a full path)
  std::map<std::string, FunctionAddress, std::less<>> exports;
  std::map<std::uint16_t, FunctionAddress> ordinals;
};

class FakeModuleLoader final : public ModuleLoader {
 public:
  std::map<std::string, FakeLibrary, std::less<>> libraries;
  std::vector<std::string> calls;  // "beside NAME", "load NAME", "unload NAME"

  ModuleHandle LoadBesideProgram(std::string_view name) override {
    calls.push_back("beside " + std::string(name));
    return Open(name, &FakeLibrary::beside_program);
  }
  ModuleHandle Load(std::string_view name) override {
    calls.push_back("load " + std::string(name));
    return Open(name, &FakeLibrary::on_system_path);
  }
  void Unload(ModuleHandle module) override {
    calls.push_back("unload " + NameOf(module));
    --open_count;
  }
  FunctionAddress FindExport(ModuleHandle module, std::string_view name) override {
    const auto& exports = Library(module).exports;
    auto it = exports.find(name);
    return it == exports.end() ? nullptr : it->second;
  }
  FunctionAddress FindOrdinal(ModuleHandle module, std::uint16_t ordinal) override {
    const auto& ordinals = Library(module).ordinals;
    auto it = ordinals.find(ordinal);
    return it == ordinals.end() ? nullptr : it->second;
  }

  int open_count = 0;  // loads not yet unloaded

 private:
  // A handle is 1 + the library's place in `libraries`.
  ModuleHandle Open(std::string_view name, bool FakeLibrary::*where) {
    auto it = libraries.find(name);
    if (it == libraries.end() || !(it->second.*where)) return nullptr;
    ++open_count;
    return reinterpret_cast<ModuleHandle>(
        static_cast<std::uintptr_t>(std::distance(libraries.begin(), it) + 1));
  }
  std::map<std::string, FakeLibrary, std::less<>>::iterator Find(ModuleHandle module) {
    return std::next(libraries.begin(),
                     static_cast<std::ptrdiff_t>(reinterpret_cast<std::uintptr_t>(module) - 1));
  }
  std::string NameOf(ModuleHandle module) { return Find(module)->first; }
  FakeLibrary& Library(ModuleHandle module) { return Find(module)->second; }
};

}  // namespace lq::test
