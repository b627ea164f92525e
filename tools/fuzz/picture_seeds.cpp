// Writes the seed corpus of the picture fuzz targets: each test fixture into the folder of the
// target for its format and into the one of the target that recognises any format.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "tests/pictures/fixtures.h"

namespace {

std::string TargetFor(const std::filesystem::path& name) {
  static const std::map<std::string, std::string> kTargets = {
      {".jpg", "jpeg"}, {".png", "png"}, {".bmp", "bmp"}, {".ico", "icon"},
      {".cur", "icon"}, {".gif", "gif"}, {".pcx", "pcx"}};
  const auto found = kTargets.find(name.extension().string());
  return found == kTargets.end() ? std::string() : found->second;
}

void Write(const std::filesystem::path& folder, const std::string& name,
           const lq::pictures::fixtures::Bytes& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
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
