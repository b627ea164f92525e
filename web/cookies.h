// Cookie lists: texts of name=value items separated by ";" (with or without a following space).
// Names and items compare exactly (CompareTexts).
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"

namespace lq {

// The item's name: the text before its first "=" (all of it without one), trimmed of spaces.
Text CookieName(const Text& item);

// True when some item of `items` has the name `name`.
bool HasCookieName(const Array<Text>& items, const Text& name);

// 1-based index of the first element equal to `text`, or -1.
std::int32_t IndexOfText(const Array<Text>& texts, const Text& text);

// The text split at `separator`, without repeated items, joined again by the separator.
Text UniqueItems(const Text& text, const Text& separator);

// Merges received cookies into a cookie list. Both variables lose all their spaces. The result,
// also stored into `cookies`, lists the received cookies in their order, then the old ones that
// no received cookie names, joined by "; "; items ending in "=deleted", empty items and exact
// repeats are left out.
Text MergeCookies(Text& cookies, Text& received);

}  // namespace lq
