// Binding declared functions against the real system libraries, with a loader that records the
// real loader's calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/binding/declared_function.h"
#include "runtime/binding/program_declarations.h"
#include "runtime/binding/win32/declared_call.h"
#include "runtime/binding/win32/system_module_loader.h"
#include "tests/support/report_capture.h"

namespace lq {
namespace {

using test::ReportCapture;
using Calls = std::vector<std::string>;

class RecordingLoader final : public ModuleLoader {
 public:
  Calls calls;  // "beside NAME", "load NAME", each with " failed" when nothing was loaded

  ModuleHandle LoadBesideProgram(std::string_view name) override {
    return Record("beside ", name, real_.LoadBesideProgram(name));
  }
  ModuleHandle Load(std::string_view name) override {
    return Record("load ", name, real_.Load(name));
  }
  void Unload(ModuleHandle module) override {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(static_cast<HMODULE>(module), path, MAX_PATH);
    std::wstring file(path);
    file = file.substr(file.find_last_of(L'\\') + 1);
    calls.push_back("unload " + std::string(file.begin(), file.end()));
    real_.Unload(module);
  }
  FunctionAddress FindExport(ModuleHandle module, std::string_view name) override {
    return real_.FindExport(module, name);
  }
  FunctionAddress FindOrdinal(ModuleHandle module, std::uint16_t ordinal) override {
    return real_.FindOrdinal(module, ordinal);
  }

 private:
  ModuleHandle Record(const char* what, std::string_view name, ModuleHandle module) {
    calls.push_back(what + std::string(name) + (module ? "" : " failed"));
    return module;
  }
  SystemModuleLoader real_;
};

FunctionAddress Export(const wchar_t* library, const char* name) {
  return reinterpret_cast<FunctionAddress>(GetProcAddress(GetModuleHandleW(library), name));
}

// Lower case, for comparing module file names whatever case the system gives them.
Calls Lower(Calls calls) {
  for (auto& c : calls) {
    for (auto& ch : c) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
  }
  return calls;
}

TEST(SystemBinding, AUser32FunctionLoadsAndUnloadsKernel32AndGdi32First) {
  RecordingLoader loader;
  constexpr DeclaredFunction kTable[] = {{"", "GetDesktopWindow"}};
  DeclaredFunctionBinder binder(kTable, loader);
  FunctionAddress address = binder.TryBind(0);
  EXPECT_EQ(address, Export(L"user32.dll", "GetDesktopWindow"));
  EXPECT_EQ(Lower(loader.calls), (Calls{"load kernel32.dll", "unload kernel32.dll",
                                        "load gdi32.dll", "unload gdi32.dll", "load user32.dll"}));
  EXPECT_EQ(binder.Call<decltype(&::GetDesktopWindow)>(0), GetDesktopWindow());
  loader.calls.clear();
  binder.UnloadAll();
  EXPECT_EQ(Lower(loader.calls), Calls{"unload user32.dll"});
}

TEST(SystemBinding, OrdinalNamesBindTheExportWithThatOrdinal) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  int ordinal = 0;
  for (int n = 1; n < 4096 && !ordinal; ++n) {
    if (GetProcAddress(kernel32, MAKEINTRESOURCEA(n))) ordinal = n;
  }
  ASSERT_NE(ordinal, 0) << "kernel32 exports nothing by ordinal";
  auto name = [](std::string prefix, int number) { return prefix += std::to_string(number); };
  const std::string plain = name("#", ordinal);
  const std::string spaced = name("# +", ordinal);
  const std::string wrapped = name("#", ordinal + 65536);
  const DeclaredFunction table[] = {
      {"kernel32.dll", plain}, {"kernel32.dll", spaced}, {"kernel32.dll", wrapped}, {"", plain}};
  SystemModuleLoader loader;
  DeclaredFunctionBinder binder(table, loader);
  const auto expected =
      reinterpret_cast<FunctionAddress>(GetProcAddress(kernel32, MAKEINTRESOURCEA(ordinal)));
  for (std::size_t i = 0; i < std::size(table); ++i) EXPECT_EQ(binder.TryBind(i), expected) << i;
}

TEST(SystemBinding, OrdinalZeroBindsNothing) {
  SystemModuleLoader loader;
  constexpr DeclaredFunction kTable[] = {{"kernel32.dll", "#0"}, {"kernel32.dll", "#x"}};
  DeclaredFunctionBinder binder(kTable, loader);
  EXPECT_EQ(binder.TryBind(0), nullptr);
  EXPECT_EQ(binder.TryBind(1), nullptr);
}

TEST(SystemBinding, KernelWithoutExtensionIsTriedBesideTheProgramThenFoundByTheSystem) {
  RecordingLoader loader;
  constexpr DeclaredFunction kTable[] = {{"kernel32", "CloseHandle"}};
  DeclaredFunctionBinder binder(kTable, loader);
  EXPECT_EQ(binder.TryBind(0), Export(L"kernel32.dll", "CloseHandle"));
  EXPECT_EQ(loader.calls, (Calls{"beside kernel32 failed", "load kernel32"}));
}

TEST(SystemBinding, ALibraryBesideTheProgramIsLoadedFromThereByNameByPathAndByOrdinal) {
  RecordingLoader loader;
  const std::wstring wide = ProgramDirectory() + L"binding_test_library.dll";
  const std::string path(wide.begin(), wide.end());  // the build directory's path is ASCII
  ASSERT_NE(path.find(':'), std::string::npos);
  const DeclaredFunction table[] = {{"binding_test_library.dll", "BindingTestAnswer"},
                                    {path, "BindingTestAnswer"},
                                    {"binding_test_library.dll", "#5"}};
  DeclaredFunctionBinder binder(table, loader);
  EXPECT_EQ(binder.Call<int()>(0), 42);
  EXPECT_EQ(binder.Call<int()>(1), 42);
  EXPECT_EQ(binder.Call<int()>(2), 42);
  EXPECT_EQ(loader.calls, (Calls{"beside binding_test_library.dll", "load " + path,
                                 "beside binding_test_library.dll"}));
  binder.UnloadAll();
  EXPECT_EQ(GetModuleHandleW(L"binding_test_library.dll"), nullptr);
}

TEST(SystemBinding, MissingFunctionsAndLibrariesAreFatalWithTheirMessages) {
  ReportCapture capture;
  RecordingLoader loader;
  constexpr DeclaredFunction kTable[] = {
      {"kernel32.dll", "NoSuchExport"}, {"", "NoSuchExport"}, {"no_such_library.dll", "F"}};
  DeclaredFunctionBinder binder(kTable, loader);
  for (std::size_t i = 0; i < std::size(kTable); ++i) {
    EXPECT_EQ(ReportCapture::ExitCodeOf([&] { binder.Bind(i); }), -1);
  }
  ASSERT_EQ(ReportCapture::Reports().size(), 3u);
  EXPECT_EQ(ReportCapture::Reports()[0].text,
            "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“kernel32.dll”中的输出命令"
            "“NoSuchExport”\r\n");
  EXPECT_EQ(ReportCapture::Reports()[1].text,
            "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件中的输出命令“NoSuchExport”\r\n");
  EXPECT_EQ(ReportCapture::Reports()[2].text,
            "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“no_such_library.dll”中的输出命令"
            "“F”\r\n");
  // Every system library was tried and let go again; nothing stays loaded.
  Calls expected{"beside kernel32.dll failed", "load kernel32.dll", "unload kernel32.dll"};
  for (std::string_view library : kSystemLibraries) {
    expected.push_back("load " + std::string(library));
    expected.push_back("unload " + std::string(library));
  }
  expected.push_back("beside no_such_library.dll failed");
  expected.push_back("load no_such_library.dll failed");
  EXPECT_EQ(Lower(loader.calls), Lower(expected));
}

TEST(SystemBinding, EveryDeclarationOfTheProgramBinds) {
  SystemModuleLoader loader;
  DeclaredFunctionBinder binder(kProgramDeclarations, loader);
  for (std::size_t i = 0; i < kProgramDeclarations.size(); ++i) {
    EXPECT_NE(binder.TryBind(i), nullptr) << i << " " << kProgramDeclarations[i].name;
  }
}

TEST(SystemBinding, TheProgramsDeclaredFunctionsAreCalledTyped) {
  EXPECT_EQ(
      CallDeclared<decltype(&::GetCurrentProcessId)>(DeclaredFunctionId::kGetCurrentProcessId),
      GetCurrentProcessId());
  EXPECT_EQ(CallDeclared<decltype(&::lstrlenA)>(DeclaredFunctionId::kLstrlenA, "abc"), 3);
  EXPECT_TRUE(
      ProgramDeclaredFunctions().IsBound(static_cast<std::size_t>(DeclaredFunctionId::kLstrlenA)));
  EXPECT_EQ(BindDeclaredFunction(DeclaredFunctionId::kCloseMutexHandle),
            Export(L"kernel32.dll", "CloseHandle"));
}

}  // namespace
}  // namespace lq
