#include "tests/e2e/skin_window_harness.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <utility>
#include <vector>

#include "runtime/system/http_read.h"
#include "skins/archive_list.h"

namespace lq::e2e {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHost = LQ_DOWNLOAD_HOST;

}  // namespace

namespace download_host {

std::string Url(std::string_view path) { return std::string(kHost) + std::string(path); }

::testing::AssertionResult SetFault(std::string_view mode, std::string_view prefix) {
  const std::string url =
      Url("/__install/fault?mode=" + std::string(mode) + "&prefix=" + std::string(prefix));
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

}  // namespace download_host

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
  const fs::path install = scratch_.path() / L"英雄联盟";
  game_ = install / L"Game";
  fs::create_directories(game_);
  CopyStandin(install / L"LolClient.exe");
  standin_.emplace(install / L"LolClient.exe");
  const fs::path exe = scratch_.path() / L"LQSkinWindowRoad.exe";
  CopyProgram(exe);
  BeforeProgramStarts();
  program_.emplace(exe);
  ProgramStarted();

  if (!DiscoversDirectory()) {
    return;
  }
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
  for (const ChampionEntry& entry : Catalogue()) {
    if (entry.caption.view() == gbk_caption) {
      return entry;
    }
  }
  ADD_FAILURE() << "no champion button " << Utf8(Wide936(gbk_caption));
  return Catalogue().front();
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
