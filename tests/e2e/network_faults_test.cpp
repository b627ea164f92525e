// Hosts that misbehave the way real ones do: a connection accepted and never answered, a trickle
// of a byte at a time, a Content-Length that lies, half a body and then silence. Whatever the
// share page, the previews and the packages do, the windows show at once and keep answering,
// every transfer ends within its bound, a package that cannot come is reported as a failure, and
// the game folder stays exactly as it was.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/skin_window_harness.h"
#include "tools/driver/lib/message_boxes.h"

namespace lq::e2e {
namespace {

namespace fs = std::filesystem;

constexpr std::wstring_view kNoticePrefix = L"Moriba  目前版本：V2.2  最新版本：";
constexpr std::wstring_view kNoticeSuffix = L" 如果您不是最新版本请联系作者更新";
// The shared item's name on the endpoint's usual share page.
constexpr std::wstring_view kItemName = L"LOLQuillet V2.3 皮肤合集";
constexpr std::string_view kSharePath = "/share/latest";
constexpr wchar_t kDownloadFailed[] = L"载入失败，请稍后再试。";
// A package download that stalls fails after 30 s; the margin covers a loaded machine.
constexpr DWORD kStallBoundMs = 30000 + 15000;

std::wstring Notice(std::wstring_view latest) {
  return std::wstring(kNoticePrefix) + std::wstring(latest) + std::wstring(kNoticeSuffix);
}

// The endpoint keeps answering these until the program gives up (lie answers and closes).
bool Held(const char* mode) { return mode != nullptr && std::strncmp(mode, "lie:", 4) != 0; }

// Whether the program can be seen to close the connection once the transfer has failed. A trickle
// cannot: a WinInet call blocked in a read returns only when its bytes have come (under Wine
// closing its handle from another thread does not cut it short), so the failed transfer's
// connection lives on until the host has sent what the call waits for. Its failure shows all the
// same, and that is checked.
bool ClosedWhenFailed(const char* mode) {
  return mode != nullptr && std::strncmp(mode, "trickle:", 8) != 0;
}

// A preview in this mode comes whole within its deadline.
bool Arrives(const char* mode) { return mode != nullptr && std::strncmp(mode, "slow:", 5) == 0; }

struct FaultCase {
  const char* name;
  const char* share;                    // the share page's fault; null: none
  bool share_arrives;                   // the page still comes whole within its deadline
  std::array<const char*, 3> previews;  // each slot's preview fault; null: none
  std::array<const char*, 3> packages;  // each slot's package fault; null: slot not loaded
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

const FaultCase kCases[] = {
    // Nothing ends by itself: only the deadlines, the read timeouts and the packages' stall rule
    // (at most 30 s for the slowest) end these transfers. The trickled package (150 bytes in 30 s)
    // would take more than a minute to arrive whole.
    {"Stalls",
     "trickle:1000",
     false,
     {"silent", "half-silent", "trickle:1000"},
     {"silent", "half-silent", "trickle:200"}},
    // Every body is whole but shorter than its length claims.
    {"LyingLengths",
     "lie:2147483647",
     false,
     {"lie:2147483647", "lie:4000000000", "lie:999999999"},
     {"lie:2147483647", "lie:4000000000", "lie:999999999"}},
    {"SilentSharePage", "silent", false, {}, {}},
    {"HalfSilentSharePage", "half-silent", false, {}, {}},
    // Slow, but within the deadlines: the share page's 400 bytes at 15 ms each, a preview in
    // pieces over 6 s. The window shows first; title and picture follow when they arrive.
    {"SlowButWhole", "trickle:15", true, {nullptr, "slow:6000", nullptr}, {}},
};

class NetworkFaults : public SkinWindowRoad, public ::testing::WithParamInterface<FaultCase> {
 protected:
  // The folder as an earlier installation left it.
  void BeforeProgramStarts() override {
    WriteFileBytes(game() / L"悍警巨魔.zip", "the package installed before");
    WriteFileBytes(game() / L"ClientZips.txt", ListNaming("悍警巨魔"));
    before_ = FolderListing(game());
    const FaultCase& c = GetParam();
    const std::string share(kSharePath);
    NoteSeen(share);
    if (c.share) {
      ASSERT_TRUE(download_host::SetFault(c.share, share));
    }
    for (int slot = 1; slot <= 3; ++slot) {
      const SkinRecord& skin = Skin(slot);
      for (auto [mode, url] : {std::pair{c.previews[slot - 1], skin.preview_url.view()},
                               std::pair{c.packages[slot - 1], skin.package_url.view()}}) {
        const std::string path = download_host::PathOf(url);
        NoteSeen(path);
        if (mode) {
          ASSERT_TRUE(download_host::SetFault(mode, path));
        }
      }
    }
  }

  // The main window is shown: while the share page was still on its way (or not yet asked for),
  // with the title of a failed read.
  void ProgramStarted() override {
    const FaultCase& c = GetParam();
    const std::wstring title = program().Text(0);
    if (Held(c.share)) ExpectStillWaiting(std::string(kSharePath), "the share page");
    EXPECT_EQ(title, Notice(L"")) << "first title \"" << Utf8(title) << "\"";
  }

  static const SkinRecord& Skin(int slot) { return Champion("时间刺客").skins[slot - 1]; }

  // Requests for `path` before this program started.
  int SeenBefore(const std::string& path) const {
    const auto at = seen_before_.find(path);
    return at == seen_before_.end() ? 0 : at->second;
  }
  void NoteSeen(const std::string& path) {
    seen_before_[path] = download_host::ConnectionsTo(path).seen;
  }

  // A window shown "at once" shows while the transfer it started is still running (or before it
  // started).
  void ExpectStillWaiting(const std::string& path, const char* what) const {
    const download_host::Connections now = download_host::ConnectionsTo(path);
    EXPECT_TRUE(now.seen == SeenBefore(path) || now.OpenAfter(SeenBefore(path)))
        << what << ": the window showed only after its transfer ended (" << now.seen
        << " requests, " << SeenBefore(path) << " of them before the program started)";
  }

  // Blank: all of the box in the button-face colour.
  bool BoxBlank(int slot) const {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t blank = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
    const auto box = Preview(slot);
    return box && box->DistinctColours() == 1 && box->At(0, 0) == blank;
  }

  // Answers a failure message for each loaded slot as it comes; the skin window must answer all
  // the while, and no other message may come.
  ::testing::AssertionResult AnswerFailures(const std::vector<int>& slots, DWORD ms) {
    const ULONGLONG start = GetTickCount64();
    const ULONGLONG until = start + ms;
    std::size_t answered = 0;
    while (answered < slots.size()) {
      if (GetTickCount64() > until) {
        return ::testing::AssertionFailure()
               << answered << " of " << slots.size() << " failure messages within " << ms << " ms";
      }
      for (int slot : slots) {
        if (Caption(slot) == L"<no answer>") {
          return ::testing::AssertionFailure() << "the skin window stopped answering";
        }
      }
      const auto boxes = driver::OpenMessageBoxes(program().process());
      if (boxes.empty()) {
        Sleep(100);
        continue;
      }
      if (boxes.front().text != kDownloadFailed) {
        return ::testing::AssertionFailure() << "message \"" << Utf8(boxes.front().text) << "\"";
      }
      if (!program().AnswerMessage(kDownloadFailed)) {
        return ::testing::AssertionFailure() << "cannot answer message " << answered + 1;
      }
      ++answered;
      // For the reader of the log only: how long the bounds took here.
      std::printf("failure message %zu of %zu after %.1f s\n", answered, slots.size(),
                  static_cast<double>(GetTickCount64() - start) / 1000.0);
    }
    return ::testing::AssertionSuccess();
  }

  std::string before_;
  std::map<std::string, int> seen_before_;
};

TEST_P(NetworkFaults, WindowsAnswerTransfersEndFolderStays) {
  const FaultCase& c = GetParam();
  std::vector<std::string> faulted;  // paths whose connections must have ended at the end
  if (ClosedWhenFailed(c.share)) faulted.emplace_back(kSharePath);

  // A page that comes whole gives the title its version when it arrives (awaited after the skin
  // window's previews, which are fetched meanwhile).
  const auto expect_title_arrives = [&] {
    if (!c.share_arrives) return;
    EXPECT_TRUE(WaitUntil([&] { return program().Text(0) == Notice(kItemName); }, 15000))
        << "title \"" << Utf8(program().Text(0)) << "\"";
  };
  if (!c.share_arrives && !Held(c.share)) {
    // Answered at once: once the host is done, the title still tells of a failed read.
    const std::string share(kSharePath);
    EXPECT_TRUE(WaitUntil([&] {
      const download_host::Connections now = download_host::ConnectionsTo(share);
      return now.seen > SeenBefore(share) && !now.OpenAfter(SeenBefore(share));
    }));
    EXPECT_FALSE(WaitUntil([&] { return program().Text(0) != Notice(L""); }, 1000))
        << "title \"" << Utf8(program().Text(0)) << "\"";
  }

  std::vector<int> loaded;
  for (int slot = 1; slot <= 3; ++slot) {
    if (c.packages[slot - 1]) loaded.push_back(slot);
  }
  const bool any_preview_fault = c.previews[0] || c.previews[1] || c.previews[2];
  if (!any_preview_fault && loaded.empty()) {
    // The main window answers: a page change as the user makes it.
    EXPECT_TRUE(program().SelectPage(3));
    expect_title_arrives();
    EXPECT_TRUE(program().Running());
    EXPECT_EQ(FolderListing(game()), before_);
    return;
  }

  ASSERT_TRUE(OpenSkinWindow(Champion("时间刺客")));
  for (int slot = 1; slot <= 3; ++slot) {
    const char* mode = c.previews[slot - 1];
    if (!mode) continue;
    const std::string path = download_host::PathOf(Skin(slot).preview_url.view());
    if (ClosedWhenFailed(mode)) faulted.push_back(path);
    if (Held(mode)) ExpectStillWaiting(path, "a preview");
    EXPECT_TRUE(WaitUntil([&] { return BoxBlank(slot); }, 5000)) << "preview box " << slot;
  }
  for (int slot = 1; slot <= 3; ++slot) {
    if (Arrives(c.previews[slot - 1])) {
      EXPECT_TRUE(WaitUntil([&] { return !BoxBlank(slot); }, 15000))
          << "preview box " << slot << " got no picture";
    }
  }
  expect_title_arrives();

  for (int slot : loaded) {
    if (ClosedWhenFailed(c.packages[slot - 1])) {
      faulted.push_back(download_host::PathOf(Skin(slot).package_url.view()));
    }
    ClickLoad(slot);
  }
  EXPECT_TRUE(AnswerFailures(loaded, kStallBoundMs));
  for (int slot : loaded) {
    EXPECT_TRUE(WaitCaption(slot, L"载入"));
    EXPECT_TRUE(WaitUntil([&] {
      return IsWindowEnabled(program().Control(kSkinLoadButtons[slot - 1]));
    })) << "load button "
        << slot;
  }
  EXPECT_TRUE(SkinWindow() != nullptr) << "the window stays for another try";
  // A failed preview leaves its box blank.
  for (int slot = 1; slot <= 3; ++slot) {
    if (c.previews[slot - 1] && !Arrives(c.previews[slot - 1])) {
      EXPECT_TRUE(BoxBlank(slot)) << "preview box " << slot;
    }
  }
  EXPECT_EQ(FolderListing(game()), before_);
  if (!c.share_arrives) {
    EXPECT_EQ(program().Text(0), Notice(L"")) << "title \"" << Utf8(program().Text(0)) << "\"";
  }

  // By now every transfer has ended or passed its bound: the program has let go of each.
  for (const std::string& path : faulted) {
    download_host::Connections now;
    EXPECT_TRUE(WaitUntil([&] {
      now = download_host::ConnectionsTo(path);
      return now.seen > SeenBefore(path) && !now.OpenAfter(SeenBefore(path));
    })) << path
        << ": " << now.seen - SeenBefore(path) << " requests, " << now.open.size() << " still open";
  }
  EXPECT_TRUE(program().Running());
  EXPECT_TRUE(program().NoMessageFor(300));
}

INSTANTIATE_TEST_SUITE_P(Hosts, NetworkFaults, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lq::e2e
