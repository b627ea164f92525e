// Time the zip check takes to refuse a package whose comment holds thousands of end records, and
// to pass a large package of stored and deflated entries. Run by hand from a Release build:
//   zip_check_bench write FOLDER     writes end-records.zip and large.zip (about 200 MiB)
//   zip_check_bench time [-n ROUNDS] FILE...
//       each file's verdict and the best of ROUNDS (3) checks, read again alone and verified as
//       streamed (in pieces of 64 KiB)
// The timing half uses nothing but CheckZipArchive and ZipStreamCheck, so it can be built against
// an older zip check to compare.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "skins/zip_check.h"
#include "tests/skins/support/test_zip.h"

namespace {

using lq::test::Bytes;

std::string Pseudorandom(std::size_t size, std::uint64_t seed, bool low_entropy) {
  std::string s(size, '\0');
  std::uint64_t x = seed * 0x9e3779b97f4a7c15ULL + 1;
  for (char& c : s) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    // Sixteen letters deflate to a little over half; all bytes do not deflate at all.
    c = static_cast<char>(low_entropy ? 'a' + (x >> 40) % 16 : x >> 40);
  }
  return s;
}

void Write(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  std::printf("wrote %s (%zu bytes)\n", path.string().c_str(), bytes.size());
}

int WriteArchives(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  // 32 MiB that inflate from 32 KiB, then a small entry whose data was damaged on the way, and
  // as many copies of the end record as its comment can hold.
  lq::test::BuiltZip records = lq::test::BuildZip(
      {{"skin/model.bin", std::string(32 << 20, '\0'), true}, {"skin/readme.txt", "readme", false}},
      {"", false, {}, 0xffff / 22});
  records.bytes[records.data_offsets[1]] ^= 0x20;
  Write(folder / "end-records.zip", records.bytes);

  std::vector<lq::test::ZipEntry> entries;
  for (int i = 0; i < 25; ++i) {
    entries.push_back({"stored/" + std::to_string(i), Pseudorandom(4 << 20, i, false), false});
    entries.push_back({"packed/" + std::to_string(i), Pseudorandom(7 << 20, i, true), true});
  }
  Write(folder / "large.zip", lq::test::BuildZip(entries).bytes);
  return 0;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int TimeChecks(int rounds, int count, char** files) {
  for (int f = 0; f < count; ++f) {
    std::ifstream in(files[f], std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    double alone = 1e9;
    double streamed = 1e9;
    lq::ZipVerdict verdict = lq::ZipVerdict::kUnreadable;
    for (int round = 0; round < rounds; ++round) {
      auto start = std::chrono::steady_clock::now();
      verdict = lq::CheckZipArchive(bytes);
      alone = std::min(alone, Seconds(start));

      start = std::chrono::steady_clock::now();
      lq::ZipStreamCheck stream;
      for (std::size_t at = 0; at < bytes.size(); at += 1 << 16) {
        stream.Take(
            std::span(bytes).subspan(at, std::min<std::size_t>(1 << 16, bytes.size() - at)));
      }
      // The check reads the bytes again only where the stream could not follow them.
      struct Memory final : lq::ZipBytes {
        explicit Memory(const Bytes& b) : b(b) {}
        std::uint64_t size() const override { return b.size(); }
        bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
          std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
          return true;
        }
        const Bytes& b;
      } memory(bytes);
      if (lq::CheckZipArchive(memory, &stream) != verdict) {
        std::printf("%s: the streamed check disagrees\n", files[f]);
        return 1;
      }
      streamed = std::min(streamed, Seconds(start));
    }
    std::printf("%s: %zu bytes, %s, check %.3f s, streamed and checked %.3f s\n", files[f],
                bytes.size(), std::string(lq::ZipVerdictName(verdict)).c_str(), alone, streamed);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "write" && argc == 3) {
    return WriteArchives(argv[2]);
  }
  if (mode == "time" && argc > 4 && std::string(argv[2]) == "-n") {
    return TimeChecks(std::max(1, std::atoi(argv[3])), argc - 4, argv + 4);
  }
  if (mode == "time" && argc > 2) {
    return TimeChecks(3, argc - 2, argv + 2);
  }
  std::fprintf(stderr,
               "usage: zip_check_bench write FOLDER | zip_check_bench time [-n ROUNDS] FILE...\n");
  return 2;
}
