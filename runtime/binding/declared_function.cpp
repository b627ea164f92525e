#include "runtime/binding/declared_function.h"

#include "runtime/errors/runtime_error.h"

namespace lq {
namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::optional<std::uint16_t> ParseOrdinal(std::string_view functionName) {
  if (functionName.empty() || functionName.front() != '#') return std::nullopt;
  std::string_view rest = functionName.substr(1);
  std::size_t i = 0;
  while (i < rest.size() && IsCSpace(rest[i])) ++i;
  bool negative = false;
  if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) negative = rest[i++] == '-';
  std::uint32_t value = 0;  // wraps: only the low 16 bits count
  for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(rest[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::uint16_t>(value & 0xFFFFu);
}

std::string BindFailureMessage(const DeclaredFunction& declaration) {
  std::string message = "无法找到指定DLL库文件";
  if (!declaration.library.empty()) {
    message += "“";
    message += declaration.library;
    message += "”";
  }
  message += "中的输出命令“";
  message += declaration.name;
  message += "”";
  return message;
}

DeclaredFunctionBinder::DeclaredFunctionBinder(std::span<const DeclaredFunction> table,
                                               ModuleLoader& loader)
    : table_(table), loader_(loader), entries_(std::make_unique<Entry[]>(table.size())) {}

DeclaredFunctionBinder::~DeclaredFunctionBinder() { UnloadAll(); }

bool DeclaredFunctionBinder::IsBound(std::size_t index) const {
  return index < table_.size() && entries_[index].address.load() != nullptr;
}

FunctionAddress DeclaredFunctionBinder::Find(ModuleHandle module, std::string_view name) {
  if (auto ordinal = ParseOrdinal(name)) return loader_.FindOrdinal(module, *ordinal);
  return loader_.FindExport(module, name);
}

FunctionAddress DeclaredFunctionBinder::Resolve(const DeclaredFunction& declaration,
                                                ModuleHandle& module) {
  module = nullptr;
  if (declaration.library.empty()) {
    for (std::string_view library : kSystemLibraries) {
      ModuleHandle candidate = loader_.Load(library);
      if (!candidate) continue;
      if (FunctionAddress address = Find(candidate, declaration.name)) {
        module = candidate;
        return address;
      }
      loader_.Unload(candidate);
    }
    return nullptr;
  }

  ModuleHandle candidate = nullptr;
  if (declaration.library.find(':') == std::string_view::npos) {
    candidate = loader_.LoadBesideProgram(declaration.library);
  }
  if (!candidate) candidate = loader_.Load(declaration.library);
  if (!candidate) return nullptr;
  FunctionAddress address = Find(candidate, declaration.name);
  if (!address) {
    loader_.Unload(candidate);
    return nullptr;
  }
  module = candidate;
  return address;
}

FunctionAddress DeclaredFunctionBinder::TryBind(std::size_t index) {
  if (index >= table_.size()) return nullptr;
  Entry& entry = entries_[index];
  if (FunctionAddress address = entry.address.load(std::memory_order_acquire)) return address;

  std::lock_guard lock(mutex_);
  if (FunctionAddress address = entry.address.load(std::memory_order_relaxed)) return address;
  ModuleHandle module = nullptr;
  FunctionAddress address = Resolve(table_[index], module);
  if (address) {
    entry.module = module;
    entry.address.store(address, std::memory_order_release);
  }
  return address;
}

FunctionAddress DeclaredFunctionBinder::Bind(std::size_t index) {
  if (FunctionAddress address = TryBind(index)) return address;
  if (index >= table_.size()) RaiseRuntimeError(ErrorCode::kArrayIndexTooLarge);
  ReportRuntimeError(BindFailureMessage(table_[index]), 0);
}

void DeclaredFunctionBinder::UnloadAll() {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < table_.size(); ++i) {
    Entry& entry = entries_[i];
    if (entry.module) loader_.Unload(entry.module);
    entry.module = nullptr;
    entry.address.store(nullptr);
  }
}

}  // namespace lq
