// A zip archive of one stored (uncompressed) entry: local file header, the entry's bytes, the
// central directory and the end-of-central-directory record.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace lq::demo {

// `entry_name` is used as given (the archive does not flag it as UTF-8). Entries and names larger
// than the classic zip format allows give an empty result.
std::vector<std::uint8_t> BuildStoredZip(std::string_view entry_name, std::string_view content);

}  // namespace lq::demo
