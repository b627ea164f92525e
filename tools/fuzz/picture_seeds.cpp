// Writes the seed corpus of the picture fuzz targets: each test fixture into the folder of the
// target for its format and into the one of the target that recognises any format.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/pictures/fixtures.h"

namespace {

std::string TargetFor(const std::filesystem::path& name) {
  const std::string extension = name.extension().string();
  if (extension == ".jpg") return "jpeg";
  if (extension == ".png") return "png";
  if (extension == ".bmp") return "bmp";
  if (extension == ".ico" || extension == ".cur") return "icon";
  if (extension == ".gif") return "gif";
  if (extension == ".pcx") return "pcx";
  return "";
}

void Write(const std::filesystem::path& folder, const std::string& name,
           const lq::pictures::fixtures::Bytes& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: picture_seeds OUTPUT_FOLDER\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  for (const auto& file : lq::pictures::fixtures::SampleFiles()) {
    Write(root / "pictures", file.name, file.bytes);
    const std::string target = TargetFor(file.name);
    if (!target.empty()) {
      Write(root / target, file.name, file.bytes);
    }
  }
  return 0;
}
