#include "tests/e2e/skin_window_harness.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <utility>
#include <vector>

#include "runtime/system/http_read.h"
#include "skins/archive_list.h"
#include "tests/skins/support/champion_lookup.h"
#include "tests/support/endpoint_client.h"

namespace lq::e2e {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHost = LQ_DOWNLOAD_HOST;

}  // namespace

namespace download_host {

std::string Url(std::string_view path) { return std::string(kHost) + std::string(path); }

::testing::AssertionResult SetFault(std::string_view mode, std::string_view prefix, int count) {
  const std::string url =
      Url("/__install/fault?mode=" + std::string(mode) + "&prefix=" + std::string(prefix) +
          (count > 0 ? "&count=" + std::to_string(count) : std::string()));
  const HttpReadResult answer = HttpReadWithStatus(Text(url));
  if (answer.status != 200 || answer.body.view() != "ok") {
    return ::testing::AssertionFailure()
           << "the download host did not take fault " << mode << " (status " << answer.status
           << "); is tools/endpoint/install_routes.py serving " << kHost << "?";
  }
  return ::testing::AssertionSuccess();
}

void ClearFaults() {
  const HttpReadResult answer = HttpReadWithStatus(Text(Url("/__install/fault?clear=all")));
  EXPECT_EQ(answer.status, 200) << "the download host did not clear its fault modes";
}

std::string PathOf(std::string_view gbk_url) {
  std::string_view path = gbk_url;
  if (const std::size_t scheme = path.find("://"); scheme != std::string_view::npos) {
    const std::size_t slash = path.find('/', scheme + 3);
    path = slash == std::string_view::npos ? std::string_view("/") : path.substr(slash);
  }
  std::string encoded;
  for (const char c : Utf8(Wide936(path))) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') ||
        std::string_view("-._~/").find(c) != std::string_view::npos) {
      encoded += c;
    } else {
      constexpr char kHex[] = "0123456789ABCDEF";
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  return encoded;
}

bool Connections::OpenAfter(int before) const {
  return std::any_of(open.begin(), open.end(), [&](int number) { return number > before; });
}

Connections ConnectionsTo(std::string_view path) {
  const HttpReadResult answer =
      HttpReadWithStatus(Text(Url("/__connections?path=" + std::string(path))));
  const std::string_view body = answer.body.view();
  Connections found;
  if (answer.status != 200) return found;
  constexpr std::string_view kSeen = "\"seen\": ";
  constexpr std::string_view kOpen = "\"open_requests\": [";
  const std::size_t seen = body.find(kSeen);
  std::size_t at = body.find(kOpen);
  if (seen == std::string_view::npos || at == std::string_view::npos) return found;
  std::from_chars(body.data() + seen + kSeen.size(), body.data() + body.size(), found.seen);
  // Numbers separated by ", " up to the closing bracket.
  for (at += kOpen.size(); at < body.size() && body[at] != ']';) {
    int number = 0;
    const auto [end, error] = std::from_chars(body.data() + at, body.data() + body.size(), number);
    if (error != std::errc()) break;
    found.open.push_back(number);
    at = static_cast<std::size_t>(end - body.data());
    while (at < body.size() && (body[at] == ',' || body[at] == ' ')) ++at;
  }
  return found;
}

std::string Body(std::string_view url) {
  const HttpReadResult answer = HttpReadWithStatus(Text(url));
  EXPECT_EQ(answer.status, 200) << url;
  return std::string(answer.body.view());
}

std::string ControlUrl(std::string_view path) {
  std::ifstream in(test::HostPath(LQ_ENDPOINT_STATE_DIR "/control_port"));
  int port = 0;
  in >> port;
  EXPECT_GT(port, 0) << "no control port in " << LQ_ENDPOINT_STATE_DIR;
  return "http://127.0.0.1:" + std::to_string(port) + std::string(path);
}

std::string Sent::StatusesSince(const Sent& before) const {
  std::string listed;
  for (std::size_t i = static_cast<std::size_t>(std::max(before.requests, 0)); i < statuses.size();
       ++i) {
    if (!listed.empty()) listed += ',';
    listed += std::to_string(statuses[i]);
  }
  return listed;
}

namespace {

// `"<name>"` followed by `then`.
std::string JsonKey(std::string_view name, std::string_view then) {
  std::string key(1, '"');
  key.append(name).append(1, '"').append(then);
  return key;
}

// The number after `"<name>": ` in a flat JSON object; nothing when it is missing or null.
std::optional<std::uint64_t> JsonNumber(std::string_view json, std::string_view name) {
  const std::string key = JsonKey(name, ": ");
  const std::size_t at = json.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  std::uint64_t value = 0;
  const char* first = json.data() + at + key.size();
  if (std::from_chars(first, json.data() + json.size(), value).ec != std::errc()) {
    return std::nullopt;
  }
  return value;
}

// The string after `"<name>": `, its JSON escapes of quotes and backslashes undone; empty when
// it is missing or null.
std::string JsonString(std::string_view json, std::string_view name) {
  const std::string key = JsonKey(name, ": \"");
  std::size_t at = json.find(key);
  std::string value;
  if (at == std::string_view::npos) return value;
  for (at += key.size(); at < json.size() && json[at] != '"'; ++at) {
    if (json[at] == '\\' && at + 1 < json.size()) ++at;
    value += json[at];
  }
  return value;
}

}  // namespace

Sent SentFor(std::string_view path) {
  const HttpReadResult answer = HttpReadWithStatus(Text(Url("/__sent?path=" + std::string(path))));
  const std::string_view body = answer.body.view();
  Sent sent;
  const auto requests = JsonNumber(body, "requests");
  const auto bytes = JsonNumber(body, "body_bytes");
  constexpr std::string_view kStatuses = "\"statuses\": [";
  std::size_t at = body.find(kStatuses);
  if (answer.status != 200 || !requests || !bytes || at == std::string_view::npos) {
    ADD_FAILURE() << "the host did not tell what it sent for " << path;
    return sent;
  }
  sent.requests = static_cast<int>(*requests);
  sent.body_bytes = *bytes;
  // Numbers or null, separated by ", ", up to the closing bracket.
  for (at += kStatuses.size(); at < body.size() && body[at] != ']';) {
    int status = 0;
    const auto [end, error] = std::from_chars(body.data() + at, body.data() + body.size(), status);
    if (error == std::errc()) {
      at = static_cast<std::size_t>(end - body.data());
    } else if (body.substr(at, 4) == "null") {
      at += 4;
    } else {
      break;
    }
    sent.statuses.push_back(status);
    while (at < body.size() && (body[at] == ',' || body[at] == ' ')) ++at;
  }
  return sent;
}

std::vector<std::string> RequestHeads(std::string_view path) {
  const HttpReadResult answer =
      HttpReadWithStatus(Text(Url("/__requests?format=raw&path=" + std::string(path))));
  EXPECT_EQ(answer.status, 200) << "the host did not list the requests for " << path;
  std::vector<std::string> heads;
  const std::string_view text = answer.body.view();
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n\r\n", at);
    heads.emplace_back(text.substr(at, end == std::string_view::npos ? end : end - at));
    at = end == std::string_view::npos ? text.size() : end + 4;
  }
  return heads;
}

std::string HeaderOf(std::string_view head, std::string_view name) {
  for (std::size_t at = head.find("\r\n"); at != std::string_view::npos;) {
    at += 2;
    const std::size_t end = std::min(head.find("\r\n", at), head.size());
    const std::string_view line = head.substr(at, end - at);
    if (line.size() > name.size() && line[name.size()] == ':' &&
        std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        })) {
      std::string_view value = line.substr(name.size() + 1);
      while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      return std::string(value);
    }
    at = end < head.size() ? end : std::string_view::npos;
  }
  return {};
}

Version SetVersion(std::string_view path, std::string_view change) {
  const HttpReadResult answer = HttpReadWithStatus(
      Text(Url("/__install/version?path=" + std::string(path) + "&" + std::string(change))));
  const std::string_view body = answer.body.view();
  Version version;
  const auto length = JsonNumber(body, "length");
  version.ok = answer.status == 200 && length.has_value();
  version.length = length.value_or(0);
  version.etag = JsonString(body, "etag");
  version.last_modified = JsonString(body, "last_modified");
  EXPECT_TRUE(version.ok) << "the host did not take version " << change << " of " << path
                          << " (status " << answer.status << ")";
  return version;
}

Down::Down() {
  const HttpReadResult answer = HttpReadWithStatus(Text(ControlUrl("/__host/down?cut=1")));
  down_ = answer.status == 200 &&
          answer.body.view().find("\"listening\": false") != std::string_view::npos;
  EXPECT_TRUE(down_) << "the host did not go down (status " << answer.status << ")";
}

Down::~Down() {
  const HttpReadResult answer = HttpReadWithStatus(Text(ControlUrl("/__host/up")));
  EXPECT_EQ(answer.status, 200) << "the host did not come up again";
}

}  // namespace download_host

ScopedEnvironment::ScopedEnvironment(const Variables& set) {
  for (const auto& [name, value] : set) {
    std::optional<std::wstring> old;
    if (const DWORD n = GetEnvironmentVariableW(name.c_str(), nullptr, 0); n > 0) {
      std::wstring buffer(n, L'\0');
      buffer.resize(GetEnvironmentVariableW(name.c_str(), buffer.data(), n));
      old = std::move(buffer);
    }
    before_.emplace_back(name, std::move(old));
    EXPECT_TRUE(SetEnvironmentVariableW(name.c_str(), value.c_str())) << Utf8(name);
  }
}

ScopedEnvironment::~ScopedEnvironment() {
  for (auto at = before_.rbegin(); at != before_.rend(); ++at) {
    SetEnvironmentVariableW(at->first.c_str(), at->second ? at->second->c_str() : nullptr);
  }
}

::testing::AssertionResult OverwriteKeepingTimes(const fs::path& file, std::uint64_t offset,
                                                 std::string_view bytes) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return ::testing::AssertionFailure() << "cannot open " << Utf8(file.wstring());
  }
  FILETIME created{}, accessed{}, written{};
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  DWORD done = 0;
  const bool ok =
      GetFileTime(handle, &created, &accessed, &written) &&
      SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) &&
      WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
      done == bytes.size() && FlushFileBuffers(handle) &&
      SetFileTime(handle, &created, &accessed, &written);
  CloseHandle(handle);
  if (!ok) {
    return ::testing::AssertionFailure()
           << "cannot overwrite " << Utf8(file.wstring()) << " (error " << GetLastError() << ")";
  }
  return ::testing::AssertionSuccess();
}

std::string ReadFileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

FolderContents ContentsOf(const fs::path& folder) {
  FolderContents files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().wstring()] =
        entry.is_regular_file() ? ReadFileBytes(entry.path()) : "<folder>";
  }
  return files;
}

std::string FolderListing(const fs::path& folder) {
  std::vector<std::string> lines;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::string line = Utf8(fs::relative(entry.path(), folder).wstring());
    if (entry.is_regular_file()) {
      const std::string bytes = ReadFileBytes(entry.path());
      std::uint64_t hash = 14695981039346656037ull;
      for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
      }
      char figures[48];
      std::snprintf(figures, sizeof figures, "  %zu  %016llx", bytes.size(),
                    static_cast<unsigned long long>(hash));
      line += figures;
    } else {
      line += "  <folder>";
    }
    lines.push_back(std::move(line));
  }
  std::sort(lines.begin(), lines.end());
  std::string listing;
  for (const std::string& line : lines) listing += line + "\n";
  return listing;
}

std::string ListNaming(std::string_view gbk_name) {
  return std::string(ArchiveListContentWithPackage(Text(gbk_name)).view());
}

std::string StockList() { return std::string(StockArchiveListContent().view()); }

// ---- SkinWindowRoad --------------------------------------------------------------------------

void SkinWindowRoad::SetUp() {
  download_host::ClearFaults();
  const fs::path install = InstallFolder(scratch_.path());
  game_ = install / L"Game";
  fs::create_directories(game_);
  CopyStandin(install / L"LolClient.exe");
  standin_.emplace(install / L"LolClient.exe");
  exe_ = scratch_.path() / L"LQSkinWindowRoad.exe";
  CopyProgram(exe_);
  BeforeProgramStarts();
  {
    const ScopedEnvironment environment(ProgramEnvironment());
    program_.emplace(exe_);
  }
  ProgramStarted();

  if (!DiscoversDirectory()) {
    return;
  }
  FindGameDirectory();
}

void SkinWindowRoad::RestartProgram() {
  program_.reset();
  {
    const ScopedEnvironment environment(ProgramEnvironment());
    program_.emplace(exe_);
  }
  if (DiscoversDirectory()) {
    FindGameDirectory();
  }
}

void SkinWindowRoad::FindGameDirectory() {
  // 自动获取 finds the stand-in and shows its game directory.
  driver::Click(program_->Control(kAutoButton));
  const std::wstring expected = game_.wstring() + L"\\";
  if (!WaitUntil([&] { return program_->Text(kDirectoryEdit) == expected; })) {
    std::string clients;
    for (const std::wstring& path : GameClientsInListOrder()) {
      clients += ' ';
      clients += Utf8(path);
    }
    FAIL() << "自动获取 shows \"" << Utf8(program_->Text(kDirectoryEdit)) << "\", expected \""
           << Utf8(expected) << "\"; LolClient.exe processes:" << clients;
  }
}

void SkinWindowRoad::TearDown() {
  program_.reset();
  standin_.reset();
  download_host::ClearFaults();
}

const ChampionEntry& SkinWindowRoad::Champion(std::string_view gbk_caption) {
  return test::ChampionByCaption(gbk_caption);
}

HWND SkinWindowRoad::OpenSkinWindow(const ChampionEntry& champion) {
  EXPECT_TRUE(program_->SelectPage(champion.page));
  HWND button = program_->Control(GridButtonId(champion.page, champion.position));
  EXPECT_TRUE(button != nullptr);
  if (button == nullptr) {
    return nullptr;
  }
  EXPECT_EQ(driver::ReadText(button).value_or(L""), Wide936(champion.caption.view()));
  driver::Click(button);
  HWND window = nullptr;
  WaitUntil([&] { return (window = SkinWindow()) != nullptr; });
  EXPECT_TRUE(window != nullptr) << "the skin window did not open";
  return window;
}

HWND SkinWindowRoad::SkinWindow() const { return program_->OtherWindowWith(kSkinLoadButtons[0]); }

::testing::AssertionResult SkinWindowRoad::WaitSkinWindowGone(DWORD ms) {
  if (!WaitUntil([&] { return SkinWindow() == nullptr; }, ms)) {
    return ::testing::AssertionFailure() << "the skin window is still open";
  }
  return ::testing::AssertionSuccess();
}

std::wstring SkinWindowRoad::Caption(int slot) const {
  HWND button = program_->Control(kSkinLoadButtons[slot - 1]);
  if (button == nullptr) {
    return L"<no button>";
  }
  return driver::ReadText(button).value_or(L"<no answer>");
}

::testing::AssertionResult SkinWindowRoad::WaitCaption(int slot, const std::wstring& caption,
                                                       DWORD ms) {
  if (!WaitUntil([&] { return Caption(slot) == caption; }, ms)) {
    return ::testing::AssertionFailure()
           << "load button " << slot << " reads \"" << Utf8(Caption(slot)) << "\", expected \""
           << Utf8(caption) << "\"";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult SkinWindowRoad::WaitDownloadCaption(int slot, bool progress, DWORD ms) {
  const std::wregex form(progress ? L"正在下载 (100|[1-9]?[0-9])%"
                                  : L"正在下载( (100|[1-9]?[0-9])%| [0-9]+\\.[0-9]MB)?");
  std::wstring seen;
  if (!WaitUntil([&] { return std::regex_match(seen = Caption(slot), form); }, ms)) {
    return ::testing::AssertionFailure() << "load button " << slot << " reads \"" << Utf8(seen)
                                         << "\", expected a download caption";
  }
  return ::testing::AssertionSuccess();
}

void SkinWindowRoad::ClickLoad(int slot) {
  HWND button = program_->Control(kSkinLoadButtons[slot - 1]);
  ASSERT_TRUE(button != nullptr);
  driver::Click(button);
}

std::optional<driver::Pixels> SkinWindowRoad::Preview(int slot) const {
  HWND box = program_->Control(kSkinPreviews[slot - 1]);
  if (box == nullptr) {
    return std::nullopt;
  }
  return driver::CaptureClient(box);
}

fs::path SkinWindowRoad::PackageFile(std::string_view gbk_name) const {
  return game_ / (Wide936(gbk_name) + L".zip");
}

}  // namespace lq::e2e
