#include "web/cookies.h"

#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"

namespace lq {
namespace {

constexpr char kDeletedSuffix[] = "=deleted";
constexpr char kItemSeparator[] = "; ";

bool IsDeleted(const Text& item) {
  return CompareTexts(RightText(item, TextLength(kDeletedSuffix)), kDeletedSuffix) == 0;
}

}  // namespace

Text CookieName(const Text& item) {
  const std::int32_t p = FindText(item, "=", {}, false);
  return TrimSpaces(p == -1 ? item : LeftText(item, p - 1));
}

bool HasCookieName(const Array<Text>& items, const Text& name) {
  for (const Text& item : items) {
    if (CompareTexts(CookieName(item), name) == 0) return true;
  }
  return false;
}

std::int32_t IndexOfText(const Array<Text>& texts, const Text& text) {
  std::int32_t index = 0;
  for (const Text& element : texts) {
    ++index;
    if (CompareTexts(element, text) == 0) return index;
  }
  return -1;
}

Text UniqueItems(const Text& text, const Text& separator) {
  Array<Text> kept;
  Text result;
  for (Text& item : SplitText(text, separator)) {
    if (IndexOfText(kept, item) != -1) continue;
    result += item;
    result += separator;
    kept.Append(std::move(item));
  }
  return LeftText(result, TextLength(result) - TextLength(separator));
}

Text MergeCookies(Text& cookies, Text& received) {
  cookies = RemoveAllSpaces(cookies);
  received = RemoveAllSpaces(received);
  Array<Text> merged = SplitText(received, Text(";"));
  for (Text& item : SplitText(cookies, Text(";"))) {
    if (!HasCookieName(merged, CookieName(item))) merged.Append(std::move(item));
  }
  Text joined;
  for (const Text& item : merged) {
    // An empty item (from ";;") is no cookie; a deleted one is gone.
    if (item.empty() || IsDeleted(item)) continue;
    joined += item;
    joined += kItemSeparator;
  }
  cookies = UniqueItems(LeftText(joined, TextLength(joined) - 2), kItemSeparator);
  return cookies;
}

}  // namespace lq
