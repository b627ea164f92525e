// Binding declared functions over a recording loader: search order, program directory first,
// ordinals, caching, failure messages and the unloading at the end.
#include "runtime/binding/declared_function.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/binding/program_declarations.h"
#include "tests/binding/fake_module_loader.h"
#include "tests/support/report_capture.h"

namespace lq {
namespace {

using test::FakeLibrary;
using test::FakeModuleLoader;
using test::ReportCapture;
using Calls = std::vector<std::string>;

int Add(int a, int b) { return a + b; }
int Twice(int a) { return 2 * a; }
int Seven() { return 7; }
FunctionAddress Address(auto* function) { return reinterpret_cast<FunctionAddress>(function); }

TEST(ParseOrdinal, ReadsLikeADecimalConversionOfTheRest) {
  EXPECT_EQ(ParseOrdinal("#5"), 5);
  EXPECT_EQ(ParseOrdinal("#  \t12"), 12);
  EXPECT_EQ(ParseOrdinal("#+7"), 7);
  EXPECT_EQ(ParseOrdinal("#42abc"), 42);
  EXPECT_EQ(ParseOrdinal("#"), 0);
  EXPECT_EQ(ParseOrdinal("#abc"), 0);
  EXPECT_EQ(ParseOrdinal("# +"), 0);
  EXPECT_EQ(ParseOrdinal("#65537"), 1);  // low 16 bits
  EXPECT_EQ(ParseOrdinal("#-1"), 0xFFFF);
  EXPECT_EQ(ParseOrdinal("#4294967297"), 1);  // wraps beyond 32 bits, still the low bits
  EXPECT_EQ(ParseOrdinal("lstrlenA"), std::nullopt);
  EXPECT_EQ(ParseOrdinal(""), std::nullopt);
  EXPECT_EQ(ParseOrdinal(" #5"), std::nullopt);
}

TEST(BindFailureMessage, NamesTheLibraryWhenOneWasDeclared) {
  EXPECT_EQ(BindFailureMessage({"kernel32.dll", "NoSuchExport"}),
            "无法找到指定DLL库文件“kernel32.dll”中的输出命令“NoSuchExport”");
  EXPECT_EQ(BindFailureMessage({"", "#5"}), "无法找到指定DLL库文件中的输出命令“#5”");
  // GBK bytes: the curly quotes are A1 B0 and A1 B1.
  EXPECT_EQ(BindFailureMessage({"a", "b"}),
            "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8"
            "DLL"
            "\xBF\xE2\xCE\xC4\xBC\xFE\xA1\xB0"
            "a"
            "\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6"
            "\xC3\xFC\xC1\xEE\xA1\xB0"
            "b"
            "\xA1\xB1");
}

TEST(ProgramDeclarations, AreTheTwentyEightEntriesInTheirPlaces) {
  ASSERT_EQ(kProgramDeclarations.size(), 28u);
  auto at = [](DeclaredFunctionId id) {
    return kProgramDeclarations[static_cast<std::size_t>(id)];
  };
  EXPECT_EQ(at(DeclaredFunctionId::kInternetOpenA).library, "wininet.dll");
  EXPECT_EQ(at(DeclaredFunctionId::kHttpSendRequestText).name, "HttpSendRequestA");
  EXPECT_EQ(at(DeclaredFunctionId::kHttpSendRequestBytes).name, "HttpSendRequestA");
  EXPECT_EQ(at(DeclaredFunctionId::kHttpQueryInfoA).name, "HttpQueryInfoA");
  EXPECT_EQ(at(DeclaredFunctionId::kMultiByteToWideChar).library, "");
  EXPECT_EQ(at(DeclaredFunctionId::kWideCharToMultiByte).library, "kernel32.dll");
  EXPECT_EQ(at(DeclaredFunctionId::kCloseSnapshotHandle).library, "kernel32");
  EXPECT_EQ(at(DeclaredFunctionId::kCloseSnapshotHandle).name, "CloseHandle");
  EXPECT_EQ(at(DeclaredFunctionId::kCloseMutexHandle).library, "kernel32.dll");
  EXPECT_EQ(at(DeclaredFunctionId::kCloseMappingHandle).library, "");
  EXPECT_EQ(at(DeclaredFunctionId::kCreateModuleSnapshot).name, "CreateToolhelp32Snapshot");
  EXPECT_EQ(at(DeclaredFunctionId::kModule32First).name, "Module32First");
  int without_library = 0;
  for (const auto& d : kProgramDeclarations) without_library += d.library.empty() ? 1 : 0;
  EXPECT_EQ(without_library, 13);
}

// The system libraries, each on the system path; User32.dll alone has GetDesktopWindow.
FakeModuleLoader SystemLibraries() {
  FakeModuleLoader loader;
  for (std::string_view name : kSystemLibraries)
    loader.libraries[std::string(name)].on_system_path = true;
  loader.libraries["Kernel32.dll"].exports["Seven"] = Address(&Seven);
  loader.libraries["User32.dll"].exports["GetDesktopWindow"] = Address(&Twice);
  loader.libraries["Shell32.dll"].ordinals[680] = Address(&Add);
  return loader;
}

TEST(DeclaredFunctionBinder, EmptyLibrarySearchesTheSystemListAndKeepsTheFirstHit) {
  FakeModuleLoader loader = SystemLibraries();
  constexpr DeclaredFunction kTable[] = {{"", "GetDesktopWindow"}};
  DeclaredFunctionBinder binder(kTable, loader);
  EXPECT_EQ(binder.TryBind(0), Address(&Twice));
  EXPECT_EQ(loader.calls, (Calls{"load Kernel32.dll", "unload Kernel32.dll", "load Gdi32.dll",
                                 "unload Gdi32.dll", "load User32.dll"}));
  EXPECT_EQ(loader.open_count, 1);
}

TEST(DeclaredFunctionBinder, BindsOnceAndCallsTyped) {
  FakeModuleLoader loader = SystemLibraries();
  constexpr DeclaredFunction kTable[] = {{"", "Seven"}, {"", "#680"}};
  DeclaredFunctionBinder binder(kTable, loader);
  EXPECT_FALSE(binder.IsBound(0));
  EXPECT_EQ(binder.Call<int()>(0), 7);
  EXPECT_EQ(binder.Call<int (*)(int, int)>(1, 2, 3), 5);
  EXPECT_EQ(binder.Call<int()>(0), 7);
  EXPECT_TRUE(binder.IsBound(0));
  EXPECT_TRUE(binder.IsBound(1));
  EXPECT_EQ(std::count(loader.calls.begin(), loader.calls.end(), "load Kernel32.dll"), 2);
  EXPECT_EQ(loader.open_count, 2);
}

TEST(DeclaredFunctionBinder, NamedLibraryIsTriedBesideTheProgramFirst) {
  FakeModuleLoader loader;
  loader.libraries["kernel32"].on_system_path = true;
  loader.libraries["kernel32"].exports["CloseHandle"] = Address(&Seven);
  loader.libraries["local.dll"].beside_program = true;
  loader.libraries["local.dll"].on_system_path = true;
  loader.libraries["local.dll"].exports["F"] = Address(&Twice);
  constexpr DeclaredFunction kTable[] = {{"kernel32", "CloseHandle"}, {"local.dll", "F"}};
  DeclaredFunctionBinder binder(kTable, loader);

  EXPECT_EQ(binder.TryBind(0), Address(&Seven));
  EXPECT_EQ(loader.calls, (Calls{"beside kernel32", "load kernel32"}));
  loader.calls.clear();
  EXPECT_EQ(binder.TryBind(1), Address(&Twice));
  EXPECT_EQ(loader.calls, (Calls{"beside local.dll"}));
}

TEST(DeclaredFunctionBinder, PathWithAColonIsLoadedUnchanged) {
  FakeModuleLoader loader;
  loader.libraries["C:\\tools\\x.dll"].on_system_path = true;
  loader.libraries["C:\\tools\\x.dll"].ordinals[5] = Address(&Seven);
  constexpr DeclaredFunction kTable[] = {{"C:\\tools\\x.dll", "#5"}};
  DeclaredFunctionBinder binder(kTable, loader);
  EXPECT_EQ(binder.TryBind(0), Address(&Seven));
  EXPECT_EQ(loader.calls, (Calls{"load C:\\tools\\x.dll"}));
}

TEST(DeclaredFunctionBinder, AMissingFunctionUnloadsItsLibraryAndKeepsNothing) {
  FakeModuleLoader loader = SystemLibraries();
  constexpr DeclaredFunction kTable[] = {
      {"Kernel32.dll", "Missing"}, {"", "Missing"}, {"absent.dll", "F"}};
  DeclaredFunctionBinder binder(kTable, loader);
  EXPECT_EQ(binder.TryBind(0), nullptr);
  EXPECT_EQ(loader.calls,
            (Calls{"beside Kernel32.dll", "load Kernel32.dll", "unload Kernel32.dll"}));
  EXPECT_EQ(binder.TryBind(1), nullptr);
  EXPECT_EQ(binder.TryBind(2), nullptr);
  EXPECT_EQ(binder.TryBind(3), nullptr);  // outside the table
  EXPECT_EQ(loader.open_count, 0);
  EXPECT_FALSE(binder.IsBound(0));
}

TEST(DeclaredFunctionBinder, UnloadAllReleasesEveryModuleAndForgetsTheAddresses) {
  FakeModuleLoader loader = SystemLibraries();
  constexpr DeclaredFunction kTable[] = {{"", "Seven"}, {"", "GetDesktopWindow"}, {"", "Seven"}};
  {
    DeclaredFunctionBinder binder(kTable, loader);
    binder.Bind(0);
    binder.Bind(1);
    EXPECT_EQ(loader.open_count, 2);
    binder.UnloadAll();
    EXPECT_EQ(loader.open_count, 0);
    EXPECT_FALSE(binder.IsBound(0));
    binder.Bind(2);  // binding again after the end's unloading still works
    EXPECT_EQ(loader.open_count, 1);
  }
  EXPECT_EQ(loader.open_count, 0);  // the destructor unloads the rest
}

TEST(DeclaredFunctionBinder, BindReportsTheMissingFunctionFatally) {
  ReportCapture capture;
  FakeModuleLoader loader = SystemLibraries();
  constexpr DeclaredFunction kTable[] = {{"", "NoSuchExport"}, {"wininet.dll", "InternetOpenA"}};
  DeclaredFunctionBinder binder(kTable, loader);
  EXPECT_EQ(ReportCapture::ExitCodeOf([&] { binder.Bind(0); }), -1);
  EXPECT_EQ(ReportCapture::ExitCodeOf([&] { binder.Bind(1); }), -1);
  ASSERT_EQ(ReportCapture::Reports().size(), 2u);
  EXPECT_EQ(ReportCapture::Reports()[0].text,
            "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件中的输出命令“NoSuchExport”\r\n");
  EXPECT_EQ(ReportCapture::Reports()[1].text,
            "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“wininet.dll”中的输出命令"
            "“InternetOpenA”\r\n");
}

}  // namespace
}  // namespace lq
