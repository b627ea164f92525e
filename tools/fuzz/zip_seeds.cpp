// Writes the zip check's seed corpus into the folder given: small archives of every form the
// check understands (stored and deflated entries, a comment, Zip64 records) and of forms it
// refuses (a directory listing an entry twice, end records in the comment of the end record).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/skins/support/test_zip.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zip_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  std::string varied(2000, '\0');
  for (std::size_t i = 0; i < varied.size(); ++i) varied[i] = static_cast<char>(i * i % 251);
  using lq::test::ZipEntry;
  const std::vector<std::vector<ZipEntry>> archives = {
      {{"a.txt", "x", false}},
      {{"skin/model.bin", varied, true}, {"skin/readme.txt", "readme", false}},
      {{"empty", "", true}, {"dir/", "", false}},
  };
  int n = 0;
  for (const auto& entries : archives) {
    for (const lq::test::ZipOptions& options :
         {lq::test::ZipOptions{}, lq::test::ZipOptions{"comment", false, {}, 0},
          lq::test::ZipOptions{"", true, {}, 0}, lq::test::ZipOptions{"", false, {0, 0}, 0},
          lq::test::ZipOptions{"", false, {}, 40}}) {
      const lq::test::Bytes bytes = lq::test::BuildZip(entries, options).bytes;
      std::ofstream(folder / ("seed-" + std::to_string(n++) + ".zip"), std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    }
  }
  return 0;
}
