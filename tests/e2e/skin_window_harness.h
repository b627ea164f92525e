// The road of a user to the skin window, for its end-to-end scenarios: a copy of the program, a
// game folder "...\英雄联盟\Game\" beside a running LolClient.exe stand-in, the directory found
// with 自动获取, and the local download host with its fault modes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "skins/catalogue.h"
#include "tests/e2e/main_window_harness.h"
#include "tests/support/scratch_dir.h"
#include "tools/driver/lib/pixels.h"

namespace lq::e2e {

inline constexpr std::uint32_t kSkinPreviews[3] = {kPreviewBox1, kPreviewBox2, kPreviewBox3};
inline constexpr std::uint32_t kSkinLoadButtons[3] = {kLoadButton1, kLoadButton2, kLoadButton3};

// The local endpoint at the program's download host.
namespace download_host {

// The host's URL of a catalogue path ("/lolbf/...").
std::string Url(std::string_view path);
// From now on requests under `prefix` (a path, percent-encoded UTF-8) get fault `mode`
// (install_routes.py), the next `count` of them or, for 0, all; "none" clears it.
::testing::AssertionResult SetFault(std::string_view mode, std::string_view prefix = "/lolbf/pf/",
                                    int count = 0);
// Clears every fault mode, the share page's and those of single paths too.
void ClearFaults();
// The path of a catalogue URL (GBK) as the host's controls take it: UTF-8, percent-encoded.
std::string PathOf(std::string_view gbk_url);
// Requests for `path` (percent-encoded UTF-8) so far, and those the host is still answering by
// their arrival number (from 1): a connection that the program gave up is no longer open. `seen`
// is -1 when the host does not say.
struct Connections {
  int seen = -1;
  std::vector<int> open;
  // Whether a request that came after the first `before` ones is still being answered.
  bool OpenAfter(int before) const;
};
Connections ConnectionsTo(std::string_view path);
// The body the host serves for a full URL, fetched on its own (no fault may be set for it).
std::string Body(std::string_view url);

// The URL of a control path on the host's control port, which answers while the host is down.
std::string ControlUrl(std::string_view path);
// What the host has sent for `path` (percent-encoded UTF-8) so far: its requests, the body bytes
// their connections took and their statuses in arrival order (0 where no head was sent).
// `requests` is -1 when the host does not say.
struct Sent {
  int requests = -1;
  std::uint64_t body_bytes = 0;
  std::vector<int> statuses;
  // The statuses of the requests that came after `before`, as "304" or "200,206" ("" for none).
  std::string StatusesSince(const Sent& before) const;
};
Sent SentFor(std::string_view path);
// The heads of the requests for `path` as the host read them, in arrival order.
std::vector<std::string> RequestHeads(std::string_view path);
// The value of the first header `name` (any case) of a request head; empty when it has none.
std::string HeaderOf(std::string_view head, std::string_view name);
// Another version at `path` (install_routes.py's /__install/version with `change`, e.g.
// "zip=1m&start=7" or "restore=1"): what it serves now. `ok` is false when the host refused.
struct Version {
  bool ok = false;
  std::uint64_t length = 0;
  std::string etag;  // as the host sends it, quotes included
  std::string last_modified;
};
Version SetVersion(std::string_view path, std::string_view change);
// The host refuses connections (its port closed, the connections being answered cut) while the
// object lives, and listens again when it goes.
class Down {
 public:
  Down();
  ~Down();
  Down(const Down&) = delete;
  Down& operator=(const Down&) = delete;
  bool down() const { return down_; }

 private:
  bool down_ = false;
};

}  // namespace download_host

// Sets variables in this process's environment, which the programs it starts inherit, and puts
// them back as they were when the object goes.
class ScopedEnvironment {
 public:
  using Variables = std::vector<std::pair<std::wstring, std::wstring>>;
  explicit ScopedEnvironment(const Variables& set);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> before_;
};

// Overwrites bytes of a file in place from `offset`, keeping its size and its last write time: a
// file damaged where neither tells.
::testing::AssertionResult OverwriteKeepingTimes(const std::filesystem::path& file,
                                                 std::uint64_t offset, std::string_view bytes);

// File name -> bytes of every file in a folder.
using FolderContents = std::map<std::wstring, std::string>;
FolderContents ContentsOf(const std::filesystem::path& folder);
// Every file and folder below `folder`, one line each: relative path (UTF-8), size, FNV-1a hash.
std::string FolderListing(const std::filesystem::path& folder);
std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);

// The list an installation of `gbk_name` writes.
std::string ListNaming(std::string_view gbk_name);
// The list the repair writes.
std::string StockList();

class SkinWindowRoad : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Whether SetUp finds the game directory with 自动获取.
  virtual bool DiscoversDirectory() const { return true; }
  // Called by SetUp just before the program starts, and as soon as its main window is shown.
  virtual void BeforeProgramStarts() {}
  virtual void ProgramStarted() {}
  // Variables that SetUp and RestartProgram put in the program's environment. By default
  // LOCALAPPDATA is the test's scratch folder: what the program keeps for its user (previews seen,
  // packages written) is the test's own and goes with it.
  virtual ScopedEnvironment::Variables ProgramEnvironment() const {
    return {{L"LOCALAPPDATA", scratch_.path().wstring()}};
  }
  // The folder "...\英雄联盟" that SetUp makes with LolClient.exe and Game in it, given the test's
  // scratch folder (by default inside it).
  virtual std::filesystem::path InstallFolder(const std::filesystem::path& scratch) const {
    return scratch / L"英雄联盟";
  }
  // Ends the program and starts the same copy again with the same environment; finds the game
  // directory with 自动获取 again where SetUp does.
  void RestartProgram();

  static const ChampionEntry& Champion(std::string_view gbk_caption);

  Program& program() { return *program_; }
  const std::filesystem::path& game() const { return game_; }

  // Opens the champion's skin window as a user does; the window, or null when it did not open.
  HWND OpenSkinWindow(const ChampionEntry& champion);
  // The skin window while it is shown.
  HWND SkinWindow() const;
  ::testing::AssertionResult WaitSkinWindowGone(DWORD ms = kWaitMs);

  std::wstring Caption(int slot) const;
  ::testing::AssertionResult WaitCaption(int slot, const std::wstring& caption, DWORD ms = kWaitMs);
  // Waits for a caption of the download: "正在下载", or with its progress ("正在下载 37%",
  // "正在下载 12.3MB"); with `progress`, only one that shows the progress in percent.
  ::testing::AssertionResult WaitDownloadCaption(int slot, bool progress = false,
                                                 DWORD ms = kWaitMs);
  void ClickLoad(int slot);
  std::optional<driver::Pixels> Preview(int slot) const;

  // The package file of `gbk_name` in the game folder.
  std::filesystem::path PackageFile(std::string_view gbk_name) const;

 private:
  // 自动获取, and 编辑框1 showing the game folder.
  void FindGameDirectory();

  test::ScratchDir scratch_{"skin-window"};
  std::filesystem::path game_;
  std::filesystem::path exe_;
  std::optional<Standin> standin_;
  std::optional<Program> program_;
};

}  // namespace lq::e2e
