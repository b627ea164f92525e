#include "skins/package_store.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace lq {
namespace {

constexpr std::string_view kHeader = "LOLQuillet packages 1\n";
constexpr std::size_t kFields = 9;  // five texts, four numbers

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return hash;
}

// Fields are separated by tabs; a field escapes '%', tab, CR and LF as %XX.
void AppendField(std::string& line, std::string_view field) {
  for (const char c : field) {
    if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      line += escaped;
    } else {
      line += c;
    }
  }
  line += '\t';
}

void AppendNumber(std::string& line, std::uint64_t number) {
  AppendField(line, std::to_string(number));
}

std::optional<std::string> Unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      out += field[i];
      continue;
    }
    unsigned value = 0;
    if (i + 3 > field.size() ||
        std::from_chars(field.data() + i + 1, field.data() + i + 3, value, 16).ptr !=
            field.data() + i + 3) {
      return std::nullopt;
    }
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

std::optional<std::uint64_t> Number(std::string_view field) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size() || field.empty()) {
    return std::nullopt;
  }
  return value;
}

std::optional<PackageRecord> ParseLine(std::string_view line) {
  // The last field is the checksum of everything before it.
  const std::size_t cut = line.rfind('\t');
  if (cut == std::string_view::npos) return std::nullopt;
  const std::optional<std::uint64_t> sum = Number(line.substr(cut + 1));
  if (!sum || *sum != Fnv1a(line.substr(0, cut + 1))) return std::nullopt;
  std::vector<std::string_view> fields;
  std::string_view rest = line.substr(0, cut);
  for (;;) {
    const std::size_t tab = rest.find('\t');
    fields.push_back(rest.substr(0, tab));
    if (tab == std::string_view::npos) break;
    rest.remove_prefix(tab + 1);
  }
  if (fields.size() != kFields) return std::nullopt;
  PackageRecord r;
  std::string* texts[] = {&r.directory, &r.file_name, &r.url, &r.etag, &r.last_modified};
  for (std::size_t i = 0; i < 5; ++i) {
    std::optional<std::string> text = Unescape(fields[i]);
    if (!text) return std::nullopt;
    *texts[i] = std::move(*text);
  }
  std::uint64_t* numbers[] = {&r.identity.size, &r.identity.last_write, &r.identity.file_id,
                              &r.identity.volume};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::optional<std::uint64_t> n = Number(fields[5 + i]);
    if (!n) return std::nullopt;
    *numbers[i] = *n;
  }
  if (r.directory.empty() || r.file_name.empty() || r.url.empty()) return std::nullopt;
  return r;
}

}  // namespace

std::string FormatPackageRecords(const std::vector<PackageRecord>& records) {
  std::string text(kHeader);
  for (const PackageRecord& r : records) {
    std::string line;
    for (const std::string* field :
         {&r.directory, &r.file_name, &r.url, &r.etag, &r.last_modified}) {
      AppendField(line, *field);
    }
    for (const std::uint64_t n :
         {r.identity.size, r.identity.last_write, r.identity.file_id, r.identity.volume}) {
      AppendNumber(line, n);
    }
    text += line + std::to_string(Fnv1a(line)) + "\n";
  }
  return text;
}

std::vector<PackageRecord> ParsePackageRecords(std::string_view text) {
  std::vector<PackageRecord> records;
  if (!text.starts_with(kHeader)) return records;
  text.remove_prefix(kHeader.size());
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) break;  // a last line without its end was cut off
    if (std::optional<PackageRecord> record = ParseLine(text.substr(0, end))) {
      records.push_back(std::move(*record));
    }
    text.remove_prefix(end + 1);
  }
  return records;
}

PackageStore::PackageStore(ReadFile read, WriteFile write, std::size_t max_records)
    : read_(std::move(read)), write_(std::move(write)), max_records_(max_records) {}

std::optional<PackageRecord> PackageStore::Find(std::string_view directory,
                                                std::string_view file_name) {
  std::lock_guard lock(mutex_);
  const std::optional<std::string> text = read_ ? read_() : std::nullopt;
  if (!text) return std::nullopt;
  std::optional<PackageRecord> found;
  // The last record of a file is the one that counts.
  for (PackageRecord& r : ParsePackageRecords(*text)) {
    if (r.directory == directory && r.file_name == file_name) found = std::move(r);
  }
  return found;
}

void PackageStore::Remember(const PackageRecord& record) {
  std::lock_guard lock(mutex_);
  std::vector<PackageRecord> records;
  if (std::optional<std::string> text = read_ ? read_() : std::nullopt) {
    records = ParsePackageRecords(*text);
  }
  std::erase_if(records, [&](const PackageRecord& r) {
    return r.directory == record.directory && r.file_name == record.file_name;
  });
  records.push_back(record);
  if (records.size() > max_records_) {
    records.erase(records.begin(), records.end() - static_cast<std::ptrdiff_t>(max_records_));
  }
  if (write_) write_(FormatPackageRecords(records));
}

void PackageStore::Forget(std::string_view directory, std::string_view file_name) {
  std::lock_guard lock(mutex_);
  const std::optional<std::string> text = read_ ? read_() : std::nullopt;
  if (!text) return;
  std::vector<PackageRecord> records = ParsePackageRecords(*text);
  const std::size_t before = records.size();
  std::erase_if(records, [&](const PackageRecord& r) {
    return r.directory == directory && r.file_name == file_name;
  });
  if (records.size() != before && write_) write_(FormatPackageRecords(records));
}

}  // namespace lq
