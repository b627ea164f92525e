// The demo content generator: a file for every catalogue URL, decodable previews, valid zips.
#include "tools/demo/demo_content.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "tools/demo/preview_picture.h"
#include "tools/demo/stored_zip.h"

namespace lq::demo {
namespace {

std::uint32_t U32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

struct ZipEntry {
  std::string name;
  std::string data;
};

// Reads a one-entry stored zip through its end record and central directory, checking every
// field the two headers share and the entry's CRC.
std::optional<ZipEntry> ParseStoredZip(const std::string& zip) {
  if (zip.size() < 30 + 46 + 22 || U32(zip, 0) != 0x04034b50) {
    return std::nullopt;
  }
  const std::size_t eocd = zip.size() - 22;
  if (U32(zip, eocd) != 0x06054b50 || U16(zip, eocd + 8) != 1 || U16(zip, eocd + 10) != 1 ||
      U16(zip, eocd + 20) != 0) {
    return std::nullopt;
  }
  const std::size_t cd_size = U32(zip, eocd + 12), cd = U32(zip, eocd + 16);
  if (cd + cd_size != eocd || U32(zip, cd) != 0x02014b50) {
    return std::nullopt;
  }
  const std::uint32_t crc = U32(zip, cd + 16), size = U32(zip, cd + 20);
  const std::size_t name_length = U16(zip, cd + 28);
  if (U16(zip, cd + 10) != 0 || U32(zip, cd + 24) != size || U32(zip, cd + 42) != 0 ||
      46 + name_length != cd_size) {
    return std::nullopt;
  }
  // The local header agrees with the central one.
  if (U16(zip, 8) != 0 || U32(zip, 14) != crc || U32(zip, 18) != size || U32(zip, 22) != size ||
      U16(zip, 26) != name_length || U16(zip, 28) != 0 || 30 + name_length + size != cd) {
    return std::nullopt;
  }
  ZipEntry entry{zip.substr(30, name_length), zip.substr(30 + name_length, size)};
  if (entry.name != zip.substr(cd + 46, name_length)) {
    return std::nullopt;
  }
  const auto actual = crc32(0L, reinterpret_cast<const Bytef*>(entry.data.data()),
                            static_cast<uInt>(entry.data.size()));
  if (actual != crc) {
    return std::nullopt;
  }
  return entry;
}

struct Jpeg {
  int width = 0, height = 0, components = 0;
};

Jpeg DecodeJpegHeader(const std::string& bytes) {
  jpeg_decompress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  Jpeg jpeg{static_cast<int>(info.output_width), static_cast<int>(info.output_height),
            info.output_components};
  std::string row(static_cast<std::size_t>(info.output_width) * info.output_components, '\0');
  while (info.output_scanline < info.output_height) {
    JSAMPROW p = reinterpret_cast<JSAMPROW>(row.data());
    jpeg_read_scanlines(&info, &p, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return jpeg;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string AsString(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lq-demo-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
      path_ = pattern;
    }
  }
  ~ScratchDirectory() {
    std::error_code ec;
    if (!path_.empty()) {
      std::filesystem::remove_all(path_, ec);
    }
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST(StoredZip, KnownCrcAndLayout) {
  const std::string zip = AsString(BuildStoredZip("a.txt", "123456789"));
  ASSERT_EQ(zip.size(), 30u + 5 + 9 + 46 + 5 + 22);
  EXPECT_EQ(U32(zip, 14), 0xCBF43926u);  // the CRC-32 check value
  const auto entry = ParseStoredZip(zip);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "a.txt");
  EXPECT_EQ(entry->data, "123456789");
}

TEST(StoredZip, EmptyEntry) {
  const auto entry = ParseStoredZip(AsString(BuildStoredZip("empty", "")));
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->data, "");
}

TEST(StoredZip, TheCheckerRejectsDamage) {
  std::string zip = AsString(BuildStoredZip("a.txt", "123456789"));
  zip[35] ^= 1;  // a byte of the entry's data
  EXPECT_FALSE(ParseStoredZip(zip));
}

TEST(PreviewPicture, ColoursDifferBetweenNeighbours) {
  std::set<std::tuple<int, int, int>> colours;
  for (int champion = 0; champion < kChampionCount; ++champion) {
    for (int slot = 1; slot <= 3; ++slot) {
      const Rgb c = PreviewColour(champion, slot);
      colours.insert({c.r, c.g, c.b});
    }
  }
  EXPECT_EQ(colours.size(), 318u);
}

TEST(DemoContent, AFileForEveryCatalogueUrl) {
  ScratchDirectory scratch;
  ASSERT_FALSE(scratch.path().empty());
  // Processor time, not wall time: the machine may be busy with other work.
  const std::clock_t start = std::clock();
  const DemoContentResult result = GenerateDemoContent(scratch.path());
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.previews, 316);
  EXPECT_EQ(result.packages, 316);
  EXPECT_LT(seconds, 60.0);
  std::printf("generated with %.2f s of processor time\n", seconds);

  std::set<std::string> pictures;
  for (const ChampionEntry& entry : Catalogue()) {
    for (int slot = 1; slot <= 3; ++slot) {
      const SkinRecord& skin = entry.skins[slot - 1];
      const std::filesystem::path preview = ContentPathOf(scratch.path(), skin.preview_url.view());
      const std::filesystem::path package = ContentPathOf(scratch.path(), skin.package_url.view());
      ASSERT_TRUE(std::filesystem::is_regular_file(preview)) << preview;
      ASSERT_TRUE(std::filesystem::is_regular_file(package)) << package;

      const std::string jpeg = ReadFile(preview);
      pictures.insert(jpeg);
      const Jpeg decoded = DecodeJpegHeader(jpeg);
      EXPECT_EQ(decoded.width, 600);
      EXPECT_EQ(decoded.height, 400);
      EXPECT_EQ(decoded.components, 3);

      const auto zip = ParseStoredZip(ReadFile(package));
      ASSERT_TRUE(zip) << package;
      EXPECT_EQ(zip->name, "skin.txt");
      EXPECT_NE(zip->data.find("skin: " + skin.name.str() + "\r\n"), std::string::npos);
    }
  }
  // Every preview path has its own picture.
  EXPECT_EQ(pictures.size(), 316u);
  // "%20" is a space in the file name, as a server maps the request to a file, and the one
  // package path ending in ".jpg" holds a zip too.
  EXPECT_TRUE(std::filesystem::exists(scratch.path() / "lolbf/imgs/Shyvana _04.jpg"));
  EXPECT_TRUE(std::filesystem::exists(scratch.path() /
                                      "lolbf/pf/Rammus _1924d77bbcfb36087411fcf53d022a45.zip"));
  EXPECT_TRUE(ParseStoredZip(
      ReadFile(scratch.path() / "lolbf/pf/sejuani_bf5ccc045c6e82e6d13e0a67ad14b574.jpg")));
}

TEST(DemoContent, ContentPathOf) {
  EXPECT_TRUE(ContentPathOf("/srv", "http://elsewhere.example/lolbf/imgs/Ekko_6.jpg").empty());
  EXPECT_EQ(ContentPathOf("/srv", DownloadUrl("/lolbf/imgs/Ekko_6.jpg").view()),
            std::filesystem::path("/srv/lolbf/imgs/Ekko_6.jpg"));
  EXPECT_EQ(ContentPathOf("/srv", DownloadUrl("/a%20b%41").view()),
            std::filesystem::path("/srv/a bA"));
  // A "%" without two hexadecimal digits after it stays as it is.
  EXPECT_EQ(ContentPathOf("/srv", DownloadUrl("/a%2").view()), std::filesystem::path("/srv/a%2"));
  EXPECT_EQ(ContentPathOf("/srv", DownloadUrl("/a%zz%").view()),
            std::filesystem::path("/srv/a%zz%"));
}

TEST(DemoContent, AnOutputThatCannotBeCreatedIsReported) {
  ScratchDirectory scratch;
  ASSERT_FALSE(scratch.path().empty());
  std::ofstream(scratch.path() / "lolbf") << "a file where a folder belongs";
  const DemoContentResult result = GenerateDemoContent(scratch.path());
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
}

}  // namespace
}  // namespace lq::demo
