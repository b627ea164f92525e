// Hosts that misbehave the way real ones do: a connection accepted and never answered, a trickle
// of a byte at a time, a Content-Length that lies, half a body and then silence. Whatever the
// share page, the previews and the packages do, the windows show at once and keep answering and
// every transfer ends within its bound. A package transfer that stops after some bytes is resumed
// (at most twice in one load): a host that fails every try is reported after the last one and
// the game folder stays exactly as it was, a host that fails once is resumed and the package
// installs. (The bounds themselves, the stall rule and the deadlines, are tested natively on a
// simulated clock: here each kind of fault meets the real network once.)
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
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
constexpr wchar_t kInstalled[] = L"载入成功";
// A package try that is never answered, or answered in part and then not at all, ends when a
// read waits 15 s; the margin covers a loaded machine.
constexpr DWORD kPackageBoundMs = 15000 + 15000;

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

// A slot's package: its fault for the first `count` requests of its path (0: every one), the
// statuses of the load's requests as the host answered them (0: no head sent) and whether the
// package installs in the end.
struct PackageFault {
  const char* mode = nullptr;  // null: the slot is not loaded
  int count = 0;
  const char* statuses = "";
  bool installs = false;
};

struct FaultCase {
  const char* name;
  const char* share;                    // the share page's fault; null: none
  bool share_arrives;                   // the page still comes whole within its deadline
  std::array<const char*, 3> previews;  // each slot's preview fault; null: none
  std::array<PackageFault, 3> packages;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

const FaultCase kCases[] = {
    // Nothing ends by itself: only the deadlines and the read timeouts end these transfers. A
    // package host that never answers gives nothing to resume: one try. One that sends half and
    // then falls silent once is resumed where it stopped, and the rest comes.
    {"Stalls",
     "silent",
     false,
     {"silent", "half-silent", "trickle:1000"},
     {PackageFault{"silent", 0, "0", false}, PackageFault{"half-silent", 1, "200,206", true}}},
    // Every body is whole but shorter than its length claims: each package is resumed from its
    // end, which the host refuses (416), every time.
    {"LyingLengths",
     "lie:2147483647",
     false,
     {"lie:2147483647", "lie:4000000000", "lie:999999999"},
     {PackageFault{"lie:2147483647", 0, "200,416"}, PackageFault{"lie:4000000000", 0, "200,416"},
      PackageFault{"lie:999999999", 0, "200,416"}}},
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
      const std::string preview = download_host::PathOf(Skin(slot).preview_url.view());
      NoteSeen(preview);
      if (const char* mode = c.previews[slot - 1]) {
        ASSERT_TRUE(download_host::SetFault(mode, preview));
      }
      const std::string package = download_host::PathOf(Skin(slot).package_url.view());
      NoteSeen(package);
      sent_before_[slot - 1] = download_host::SentFor(package);
      if (const PackageFault& fault = c.packages[slot - 1]; fault.mode) {
        ASSERT_TRUE(download_host::SetFault(fault.mode, package, fault.count));
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

  // Answers the message of each loaded slot as it comes, `installs` of them "载入成功" and the
  // others failures; until the first one is answered, the skin window must answer all the while.
  // `first_shown` runs when the first message is open, before any is answered.
  ::testing::AssertionResult AnswerMessages(std::size_t count, std::size_t installs,
                                            const std::function<void()>& first_shown) {
    const ULONGLONG start = GetTickCount64();
    std::map<std::wstring, std::size_t> answered;
    for (std::size_t done = 0; done < count; ++done) {
      std::vector<driver::MessageBoxView> boxes;
      if (!WaitUntil(
              [&] {
                for (int slot = 1; slot <= 3 && done == 0; ++slot) {
                  if (Caption(slot) == L"<no answer>") return true;
                }
                return !(boxes = driver::OpenMessageBoxes(program().process())).empty();
              },
              kPackageBoundMs)) {
        return ::testing::AssertionFailure()
               << done << " of " << count << " messages within " << kPackageBoundMs << " ms";
      }
      if (boxes.empty()) {
        return ::testing::AssertionFailure() << "the skin window stopped answering";
      }
      if (done == 0) first_shown();
      // Two may be open at once: the one read is the one answered.
      const driver::MessageBoxView box = boxes.front();
      if (box.caption != L"信息：" || !driver::PressMessageBoxButton(box.box, IDOK) ||
          !WaitUntil([&] { return !IsWindow(box.box) || !IsWindowVisible(box.box); })) {
        return ::testing::AssertionFailure()
               << "cannot answer message " << done + 1 << " \"" << Utf8(box.text) << "\"";
      }
      const std::wstring& text = box.text;
      ++answered[text];
      // For the reader of the log only: how long the bounds took here.
      std::printf("message %zu of %zu, \"%s\", after %.1f s\n", done + 1, count, Utf8(text).c_str(),
                  static_cast<double>(GetTickCount64() - start) / 1000.0);
    }
    const std::map<std::wstring, std::size_t> expected = {{kInstalled, installs},
                                                          {kDownloadFailed, count - installs}};
    for (const auto& [text, n] : expected) {
      if (n == 0) answered.emplace(text, 0);
    }
    if (answered != expected) {
      std::string seen;
      for (const auto& [text, n] : answered) {
        seen.append(" ").append(std::to_string(n)).append(" x ").append(Utf8(text));
      }
      return ::testing::AssertionFailure() << "messages:" << seen;
    }
    return ::testing::AssertionSuccess();
  }

  std::string before_;
  std::map<std::string, int> seen_before_;
  std::array<download_host::Sent, 3> sent_before_;
};

TEST_P(NetworkFaults, WindowsAnswerAndEveryTransferEnds) {
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
    // Answered at once: once the host is done and the program took what it posted itself, the
    // title still tells of a failed read.
    const std::string share(kSharePath);
    EXPECT_TRUE(WaitUntil([&] {
      const download_host::Connections now = download_host::ConnectionsTo(share);
      return now.seen > SeenBefore(share) && !now.OpenAfter(SeenBefore(share));
    }));
    EXPECT_TRUE(program().RoundTrip());
    EXPECT_EQ(program().Text(0), Notice(L"")) << "title \"" << Utf8(program().Text(0)) << "\"";
  }

  std::vector<int> loaded;
  std::size_t installs = 0;
  for (int slot = 1; slot <= 3; ++slot) {
    if (c.packages[slot - 1].mode) loaded.push_back(slot);
    if (c.packages[slot - 1].installs) ++installs;
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
    const PackageFault& fault = c.packages[slot - 1];
    if (!fault.installs && ClosedWhenFailed(fault.mode)) {
      faulted.push_back(download_host::PathOf(Skin(slot).package_url.view()));
    }
    ClickLoad(slot);
  }
  // When the first message shows, the previews are long past their deadline: a failed one has
  // left its box blank.
  EXPECT_TRUE(AnswerMessages(loaded.size(), installs, [&] {
    for (int slot = 1; slot <= 3; ++slot) {
      if (c.previews[slot - 1] && !Arrives(c.previews[slot - 1])) {
        EXPECT_TRUE(BoxBlank(slot)) << "preview box " << slot;
      }
    }
  }));
  for (int slot : loaded) {
    const download_host::Sent sent =
        download_host::SentFor(download_host::PathOf(Skin(slot).package_url.view()));
    EXPECT_EQ(sent.StatusesSince(sent_before_[slot - 1]), c.packages[slot - 1].statuses)
        << "the package of slot " << slot;
  }
  if (installs == 0) {
    for (int slot : loaded) {
      EXPECT_TRUE(WaitCaption(slot, L"载入"));
      EXPECT_TRUE(WaitUntil([&] {
        return IsWindowEnabled(program().Control(kSkinLoadButtons[slot - 1]));
      })) << "load button "
          << slot;
    }
    EXPECT_TRUE(SkinWindow() != nullptr) << "the window stays for another try";
    EXPECT_EQ(FolderListing(game()), before_);
  } else {
    // The installed package and the list naming it, beside the earlier package; nothing of the
    // packages that did not come.
    EXPECT_TRUE(WaitSkinWindowGone());
    FolderContents expected = {{L"悍警巨魔.zip", "the package installed before"}};
    for (int slot : loaded) {
      if (!c.packages[slot - 1].installs) continue;
      expected[PackageFile(Skin(slot).name.view()).filename().wstring()] =
          download_host::Body(Skin(slot).package_url.view());
      expected[L"ClientZips.txt"] = ListNaming(Skin(slot).name.view());
    }
    EXPECT_EQ(ContentsOf(game()), expected) << FolderListing(game());
  }
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
  EXPECT_TRUE(program().NoMessage());
}

INSTANTIATE_TEST_SUITE_P(Hosts, NetworkFaults, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lq::e2e
