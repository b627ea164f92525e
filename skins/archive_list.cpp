#include "skins/archive_list.h"

#include <string>

namespace lq {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

std::string StockLines() {
  std::string s;
  for (std::string_view name : StockArchiveList()) {
    if (!s.empty()) {
      s += kLineBreak;
    }
    s += name;
  }
  return s;
}

}  // namespace

ByteSet StockArchiveListContent() { return ByteSet::FromString(StockLines()); }

ByteSet ArchiveListContentWithPackage(const Text& skin_name) {
  std::string s = StockLines();
  s += kLineBreak;
  s += skin_name.view();
  s += ".zip";
  return ByteSet::FromString(s);
}

}  // namespace lq
