#include "tools/demo/demo_content.h"

#include <fstream>
#include <set>
#include <system_error>

#include "tools/demo/preview_picture.h"
#include "tools/demo/stored_zip.h"

namespace lq::demo {
namespace {

constexpr int kJpegQuality = 85;

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
               std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (ec) {
    error = "cannot create " + path.parent_path().string() + ": " + ec.message();
    return false;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// "%" and two hexadecimal digits become that byte; anything else stays as it is.
std::string PercentDecode(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> BuildSkinPackage(const ChampionEntry& entry, int slot) {
  const SkinRecord& skin = entry.skins[slot - 1];
  std::string text = "skin: ";
  text += skin.name.view();
  text += "\r\nchampion: ";
  text += entry.champion;
  text += " (";
  text += entry.caption.view();
  text += "), slot ";
  text += std::to_string(slot);
  text += "\r\npackage: ";
  text += DownloadPath(skin.package_url.view());
  text += "\r\n";
  return BuildStoredZip("skin.txt", text);
}

std::vector<std::uint8_t> BuildSkinPreview(const ChampionEntry& entry, int slot) {
  return EncodeJpeg(DrawPreview(entry.index, slot), kPreviewWidth, kPreviewHeight, kJpegQuality);
}

std::filesystem::path ContentPathOf(const std::filesystem::path& root, std::string_view url) {
  const std::string_view path = DownloadPath(url);
  if (path.empty()) {
    return {};
  }
  return root / std::filesystem::path(PercentDecode(path.substr(1)));
}

DemoContentResult GenerateDemoContent(const std::filesystem::path& root) {
  DemoContentResult result;
  std::set<std::string> done;  // a record that repeats in several slots shares its files
  for (const ChampionEntry& entry : Catalogue()) {
    for (int slot = 1; slot <= kSkinsPerChampion; ++slot) {
      const SkinRecord& skin = entry.skins[slot - 1];
      if (done.insert(skin.preview_url.str()).second) {
        const std::vector<std::uint8_t> jpeg = BuildSkinPreview(entry, slot);
        if (jpeg.empty()) {
          result.error = "cannot encode the preview of " + skin.preview_url.str();
          return result;
        }
        if (!WriteFile(ContentPathOf(root, skin.preview_url.view()), jpeg, result.error)) {
          return result;
        }
        ++result.previews;
      }
      if (done.insert(skin.package_url.str()).second) {
        const std::vector<std::uint8_t> zip = BuildSkinPackage(entry, slot);
        if (zip.empty() ||
            !WriteFile(ContentPathOf(root, skin.package_url.view()), zip, result.error)) {
          if (result.error.empty()) {
            result.error = "cannot build " + skin.package_url.str();
          }
          return result;
        }
        ++result.packages;
      }
    }
  }
  result.ok = true;
  return result;
}

}  // namespace lq::demo
