// Declared system functions: a table of (library, function name) records, bound on first call.
//
// Binding an entry (DeclaredFunctionBinder::Bind):
//   - a function name "#n" names the export with ordinal n (see ParseOrdinal); any other name is
//     looked up unchanged;
//   - an empty library name tries each of kSystemLibraries in order, unloading every library that
//     lacks the function and keeping the first that has it;
//   - a library name without ':' is loaded from the program's directory first, then by the
//     system's search; a name with ':' is loaded unchanged;
//   - a found address is cached with its module, which stays loaded until UnloadAll (the end of
//     the program); a missing library or function is a fatal report (BindFailureMessage, code 0).
//
// Calls: on x86-64 Windows there is a single calling convention, in which the caller owns its
// stack frame and the callee never pops arguments, so a declared function cannot leave the stack
// unbalanced and no check after the call is needed (error 6 cannot arise on this target).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "runtime/platform/system_function.h"

namespace lq {

// One declaration as written in the program (GBK texts).
struct DeclaredFunction {
  std::string_view library;  // empty: search kSystemLibraries
  std::string_view name;     // export name, or "#" and an ordinal
};

// Searched, in this order, for declarations without a library.
inline constexpr std::array<std::string_view, 6> kSystemLibraries = {
    "Kernel32.dll", "Gdi32.dll", "User32.dll", "Advapi32.dll", "Mpr.dll", "Shell32.dll"};

// The ordinal of a "#n" name: after the '#', optional white space, an optional sign and the
// leading decimal digits (none give 0); the low 16 bits of that number. nullopt for other names.
std::optional<std::uint16_t> ParseOrdinal(std::string_view functionName);

// The report text of a declaration that cannot be bound (GBK).
std::string BindFailureMessage(const DeclaredFunction& declaration);

using ModuleHandle = void*;

// The library loader behind the binder; the real one wraps LoadLibraryW, GetProcAddress and
// FreeLibrary. Names arrive as declared (GBK). A failure gives a null handle or address.
class ModuleLoader {
 public:
  virtual ~ModuleLoader() = default;
  // The program file's directory, a backslash and the name.
  virtual ModuleHandle LoadBesideProgram(std::string_view name) = 0;
  // The name unchanged: the system's search order, or a full path.
  virtual ModuleHandle Load(std::string_view name) = 0;
  virtual void Unload(ModuleHandle module) = 0;
  virtual FunctionAddress FindExport(ModuleHandle module, std::string_view name) = 0;
  virtual FunctionAddress FindOrdinal(ModuleHandle module, std::uint16_t ordinal) = 0;
};

// The binding state of one table of declarations. The table and the loader must outlive it.
class DeclaredFunctionBinder {
 public:
  DeclaredFunctionBinder(std::span<const DeclaredFunction> table, ModuleLoader& loader);
  ~DeclaredFunctionBinder();  // unloads what is still loaded
  DeclaredFunctionBinder(const DeclaredFunctionBinder&) = delete;
  DeclaredFunctionBinder& operator=(const DeclaredFunctionBinder&) = delete;

  std::size_t size() const { return table_.size(); }
  bool IsBound(std::size_t index) const;

  // The entry's address, bound on first use; null when it cannot be bound (nothing is kept) or
  // the index is outside the table.
  FunctionAddress TryBind(std::size_t index);
  // As TryBind, but a failure is the fatal report: never returns null.
  FunctionAddress Bind(std::size_t index);

  // Calls the entry as a function of type Fn (a function type or function pointer type).
  template <class Fn, class... Args>
  decltype(auto) Call(std::size_t index, Args&&... args) {
    using Pointer = std::add_pointer_t<std::remove_pointer_t<Fn>>;
    static_assert(std::is_function_v<std::remove_pointer_t<Pointer>>, "Fn must be a function type");
    static_assert(sizeof(void*) == 8,
                  "with several calling conventions the stack position must be compared around "
                  "the call and an imbalance raised as ErrorCode::kStackImbalance");
    return reinterpret_cast<Pointer>(Bind(index))(std::forward<Args>(args)...);
  }

  // Unloads every module that a bound entry holds and forgets all addresses.
  void UnloadAll();

 private:
  struct Entry {
    std::atomic<FunctionAddress> address{nullptr};
    ModuleHandle module = nullptr;
  };

  // Finds the function; on success `module` is the library to keep.
  FunctionAddress Resolve(const DeclaredFunction& declaration, ModuleHandle& module);
  FunctionAddress Find(ModuleHandle module, std::string_view name);

  std::span<const DeclaredFunction> table_;
  ModuleLoader& loader_;
  std::unique_ptr<Entry[]> entries_;
  std::mutex mutex_;
};

}  // namespace lq
