// One measured step of the installation benchmark, in a process of its own so that its peak
// working set is its own:
//
//   skins_bench.exe install  <url> <game directory> <size>   the whole installation
//   skins_bench.exe download <url> <size>                    the same bytes received, nothing else
//   skins_bench.exe copy     <file> <copy>                   the installed package copied and
//                                                            flushed to the disk
//   skins_bench.exe reuse    <url> <game directory> <size> <store folder>
//                                                            a first installation remembered
//                                                            in the store folder, then the
//                                                            same one again
//
// Each prints one line "<step> seconds=<s> peak_working_set=<bytes> idle_working_set=<bytes>
// size=<bytes>", the idle figure taken before the step begins (install also "staged seconds=<s>":
// the package downloaded, checked and on the disk in its staged file, before the files in the
// game directory change). The size given is checked against what arrived. run_skins_bench.sh
// runs the steps in rounds against the local endpoint and compares them.
#include <windows.h>
// windows.h first: psapi builds on its types.
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"
#include "runtime/system/http_transfer.h"
#include "skins/installation.h"
#include "skins/installation_environment.h"
#include "tools/bench/win32_measures.h"

namespace {

using lq::bench::Memory;
double Seconds() { return lq::bench::WallSeconds(); }

// The working set before the step: the program loaded, nothing done yet.
const unsigned long long g_idle = Memory().WorkingSetSize;

int Report(const char* step, double seconds, unsigned long long size) {
  std::printf("%s seconds=%.4f peak_working_set=%llu idle_working_set=%llu size=%llu\n", step,
              seconds, static_cast<unsigned long long>(Memory().PeakWorkingSetSize), g_idle, size);
  return 0;
}

unsigned long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    return 0;
  }
  return static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// Counts the bytes and drops them.
class CountingSink final : public lq::BodySink {
 public:
  bool Begin(const lq::ResponseHead& head) override {
    status_ = head.status;
    return true;
  }
  bool Take(std::span<const std::uint8_t> bytes) override {
    received_ += bytes.size();
    return true;
  }
  int status_ = 0;
  unsigned long long received_ = 0;
};

// CopyFileW, then the copy pushed to the disk as an installation pushes its staged file.
bool CopyAndFlush(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
    return false;
  }
  lq::UniqueKernelHandle copy(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return copy && FlushFileBuffers(copy.get()) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string step = argc > 1 ? argv[1] : "";
  if (step == "install" && argc == 5) {
    const lq::InstallationInputs inputs{lq::Text(argv[2]), lq::Text("bench"), lq::Text(argv[3])};
    const unsigned long long expected = std::strtoull(argv[4], nullptr, 10);
    const double start = Seconds();
    double staged = 0;  // downloaded, checked and in its staged file on the disk
    const lq::InstallationResult result = lq::InstallSkinPackage(
        lq::SystemInstallationEnvironment(), inputs, [&](std::string_view caption) {
          if (caption == lq::kWritingCaption) staged = Seconds() - start;
        });
    const double seconds = Seconds() - start;
    const unsigned long long size = FileSize(lq::GbkToWide(std::string(argv[3]) + "bench.zip"));
    if (result != lq::InstallationResult::kInstalled || size != expected) {
      std::printf("install failed: result %d, %llu bytes\n", static_cast<int>(result), size);
      return 1;
    }
    std::printf("staged seconds=%.4f\n", staged);
    return Report("install", seconds, size);
  }
  if (step == "reuse" && argc == 6) {
    // The program's store lives where LOCALAPPDATA says: here, a folder of this round's own.
    SetEnvironmentVariableW(L"LOCALAPPDATA", lq::GbkToWide(argv[5]).c_str());
    const lq::InstallationEnvironment env = lq::SystemInstallationEnvironment();
    const lq::InstallationInputs inputs{lq::Text(argv[2]), lq::Text("bench"), lq::Text(argv[3])};
    const unsigned long long expected = std::strtoull(argv[4], nullptr, 10);
    double seconds[2] = {};
    for (double& taken : seconds) {
      const double start = Seconds();
      const lq::InstallationResult result = lq::InstallSkinPackage(env, inputs);
      taken = Seconds() - start;
      const unsigned long long size = FileSize(lq::GbkToWide(std::string(argv[3]) + "bench.zip"));
      if (result != lq::InstallationResult::kInstalled || size != expected) {
        std::printf("install failed: result %d, %llu bytes\n", static_cast<int>(result), size);
        return 1;
      }
    }
    std::printf("reuse first_seconds=%.4f second_seconds=%.4f\n", seconds[0], seconds[1]);
    return 0;
  }
  if (step == "download" && argc == 4) {
    const unsigned long long expected = std::strtoull(argv[3], nullptr, 10);
    CountingSink sink;
    const double start = Seconds();
    const lq::TransferEnd end = lq::HttpDownload(lq::Text(argv[2]), lq::kPackageLimits, sink);
    const double seconds = Seconds() - start;
    if (end != lq::TransferEnd::kComplete || sink.status_ != 200 || sink.received_ != expected) {
      std::printf("download failed: end %d, status %d, %llu bytes\n", static_cast<int>(end),
                  sink.status_, sink.received_);
      return 1;
    }
    return Report("download", seconds, sink.received_);
  }
  if (step == "copy" && argc == 4) {
    const std::wstring from = lq::GbkToWide(argv[2]);
    const std::wstring to = lq::GbkToWide(argv[3]);
    const double start = Seconds();
    const bool copied = CopyAndFlush(from, to);
    const double seconds = Seconds() - start;
    if (!copied) {
      std::printf("copy failed: %lu\n", GetLastError());
      return 1;
    }
    return Report("copy", seconds, FileSize(to));
  }
  std::printf(
      "usage: skins_bench install <url> <game directory> <size>\n"
      "       skins_bench download <url> <size>\n"
      "       skins_bench copy <file> <copy>\n"
      "       skins_bench reuse <url> <game directory> <size> <store folder>\n");
  return 2;
}
