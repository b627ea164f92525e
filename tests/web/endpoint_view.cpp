#include "tests/web/endpoint_view.h"

#include <cctype>

#include "runtime/platform/unique_handle.h"

namespace lq::test {
namespace {

std::string PercentEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || c == '/' ||
        c == '-' || c == '_' || c == '.') {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> ReceivedRequest::Headers(std::string_view name) const {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    const auto colon = line.find(':');
    if (colon != std::string::npos && EqualsIgnoringCase(line.substr(0, colon), name)) {
      found.push_back(line);
    }
  }
  return found;
}

int ReceivedRequest::IndexOf(std::string_view line) const {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == line) return static_cast<int>(i);
  }
  return -1;
}

std::optional<std::string> Fetch(const TestEndpoint& endpoint, std::string_view path) {
  UniqueInternetHandle session(
      InternetOpenW(L"lq-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) return std::nullopt;
  const std::string url = endpoint.Url(path);
  const std::wstring wide_url(url.begin(), url.end());
  UniqueInternetHandle request(InternetOpenUrlW(session.get(), wide_url.c_str(), nullptr, 0,
                                                INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES,
                                                0));
  if (!request) return std::nullopt;
  std::string body;
  char buffer[65536];
  DWORD count = 0;
  while (InternetReadFile(request.get(), buffer, sizeof buffer, &count) && count > 0) {
    body.append(buffer, count);
  }
  return body;
}

std::optional<ReceivedRequest> LastRequest(const TestEndpoint& endpoint, std::string_view path) {
  const auto record = Fetch(endpoint, "/web/last?path=" + PercentEncoded(path));
  if (!record || record->rfind("no such request", 0) == 0) return std::nullopt;
  const auto head_end = record->find("\r\n\r\n");
  if (head_end == std::string::npos) return std::nullopt;
  ReceivedRequest received;
  received.body = record->substr(head_end + 4);
  const std::string head = record->substr(0, head_end);
  std::size_t start = 0;
  bool first = true;
  while (start <= head.size()) {
    auto end = head.find("\r\n", start);
    if (end == std::string::npos) end = head.size();
    std::string line = head.substr(start, end - start);
    if (first) {
      received.request_line = std::move(line);
      first = false;
    } else {
      received.lines.push_back(std::move(line));
    }
    start = end + 2;
  }
  return received;
}

}  // namespace lq::test
