#include "skins/catalogue_paths.h"

#include <algorithm>
#include <vector>

namespace lq {
namespace {

constexpr int kPreviewNumbers = 20;

std::string Hex16(std::uint64_t v) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string s(16, '0');
  for (int i = 15; i >= 0; --i, v >>= 4) {
    s[i] = kDigits[v & 0xF];
  }
  return s;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

std::string RecordKey(std::string_view champion, int slot, std::string_view name) {
  std::string key(champion);
  key += '/';
  key += static_cast<char>('0' + slot);
  key += '/';
  key += name;
  return key;
}

std::string DerivedPackagePath(std::string_view champion, const std::string& key) {
  std::string path(kPackageFolder);
  path += LowerAscii(champion);
  path += '_';
  path += Hex16(Fnv1a64("1#" + key));
  path += Hex16(Fnv1a64("2#" + key));
  path += ".zip";
  return path;
}

}  // namespace

std::uint64_t Fnv1a64(std::string_view bytes) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 0x100000001b3ULL;
  }
  return h;
}

int PreviewSkinNumber(std::string_view path) {
  constexpr std::string_view kSuffix = ".jpg";
  if (!path.ends_with(kSuffix)) {
    return -1;
  }
  path.remove_suffix(kSuffix.size());
  const auto underscore = path.rfind('_');
  if (underscore == std::string_view::npos) {
    return -1;
  }
  const std::string_view digits = path.substr(underscore + 1);
  if (digits.empty() || digits.size() > 2) {
    return -1;
  }
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      return -1;
    }
    n = n * 10 + (c - '0');
  }
  return n;
}

ChampionPaths ResolveChampionPaths(const CatalogueRow& row) {
  ChampionPaths paths;
  std::vector<int> taken;
  for (const CatalogueSkinRow& skin : row.skins) {
    if (skin.preview_path) {
      taken.push_back(PreviewSkinNumber(skin.preview_path));
    }
  }
  for (int i = 0; i < 3; ++i) {
    const CatalogueSkinRow& skin = row.skins[i];
    const std::string key = RecordKey(row.champion, i + 1, skin.name);
    paths.package[i] =
        skin.package_path ? std::string(skin.package_path) : DerivedPackagePath(row.champion, key);
    if (skin.preview_path) {
      paths.preview[i] = skin.preview_path;
      continue;
    }
    const std::uint64_t h = Fnv1a64("img#" + key);
    int n = static_cast<int>(1 + h % kPreviewNumbers);
    while (std::find(taken.begin(), taken.end(), n) != taken.end()) {
      n = n % kPreviewNumbers + 1;
    }
    taken.push_back(n);
    std::string& path = paths.preview[i];
    path = kPreviewFolder;
    path += row.champion;
    path += '_';
    if (n < 10 && ((h >> 32) & 1)) {
      path += '0';
    }
    path += std::to_string(n);
    path += ".jpg";
  }
  return paths;
}

}  // namespace lq
