#include "runtime/binding/win32/system_module_loader.h"

#include <windows.h>

#include <string>

#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"

namespace lq {
namespace {

FunctionAddress AsAddress(FARPROC proc) { return reinterpret_cast<FunctionAddress>(proc); }

}  // namespace

std::wstring ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // truncated
  }
  path.resize(path.find_last_of(L'\\') + 1);  // npos + 1 == 0: no directory
  return path;
}

ModuleHandle SystemModuleLoader::LoadBesideProgram(std::string_view name) {
  const std::wstring directory = ProgramDirectory();
  if (directory.empty()) return nullptr;
  return LoadLibraryW((directory + GbkToWide(name)).c_str());
}

ModuleHandle SystemModuleLoader::Load(std::string_view name) {
  return LoadLibraryW(GbkToWide(name).c_str());
}

void SystemModuleLoader::Unload(ModuleHandle module) {
  // The binder hands the module back; its owner frees it here.
  UniqueModule(static_cast<HMODULE>(module)).Reset();
}

FunctionAddress SystemModuleLoader::FindExport(ModuleHandle module, std::string_view name) {
  const std::string terminated(name);
  return AsAddress(GetProcAddress(static_cast<HMODULE>(module), terminated.c_str()));
}

FunctionAddress SystemModuleLoader::FindOrdinal(ModuleHandle module, std::uint16_t ordinal) {
  if (ordinal == 0) return nullptr;  // not an ordinal: GetProcAddress would read a null name
  return AsAddress(GetProcAddress(static_cast<HMODULE>(module), MAKEINTRESOURCEA(ordinal)));
}

}  // namespace lq
