// The skin window's handlers on the window model, with a recording stand-in for the platform:
// previews fetched in the background, each into its own box of the opening that asked for it,
// kept copies shown first and replaced by what the host answers; clicks that start installations
// with copied inputs and disable their buttons until they end; installations that leave a window
// alone once it is gone.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/forms/forms_registry.h"
#include "runtime/forms/gui_queue.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "runtime/forms/window_template.h"
#include "skins/catalogue.h"
#include "skins/installation_environment.h"
#include "skins/preview_cache.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"
#include "tests/forms/fake_window.h"
#include "tests/skins/support/champion_lookup.h"
#include "tests/skins/support/memory_user_folder.h"

namespace lq {
namespace {

// The host's preview at `url` in its `version`: a 4 x 1 bitmap whose pixels tell the two apart.
std::string HostPicture(std::string_view url, int version = 1) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : url) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  hash ^= static_cast<std::uint64_t>(version) * 0x9e3779b97f4a7c15ull;
  std::string bmp;
  auto put = [&bmp](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp += static_cast<char>(value >> (8 * i));
  };
  bmp += "BM";
  put(66, 4);  // file size
  put(0, 4);
  put(54, 4);            // pixels at
  put(40, 4);            // info header size
  put(4, 4);             // width
  put(1, 4);             // height
  put(1, 2);             // planes
  put(24, 2);            // bits a pixel
  put(0, 4);             // no compression
  put(12, 4);            // pixel bytes
  bmp.append(16, '\0');  // resolution and colours
  for (int i = 0; i < 12; ++i) bmp += static_cast<char>(hash >> (8 * (i % 8)) ^ i);
  return bmp;
}

// The download host as the previews meet it, recorded.
struct Host {
  enum class Mode {
    kNormal,             // 200, or 304 to a matching If-None-Match
    kDown,               // no answer
    kNoPicture,          // 200 with an error page
    kIgnoresConditions,  // 200 whatever the request says
    kCutShort,           // 200 whose body breaks off
  };
  struct Request {
    std::string url;
    RequestConditions conditions;
  };

  static std::string EtagOf(std::string_view url, int version) {
    std::string etag = "\"";
    etag += std::to_string(url.size());
    etag += '-';
    etag += std::to_string(version);
    etag += '"';
    return etag;
  }

  HttpReadResult Answer(const Text& url, const RequestConditions& conditions) {
    requests.push_back({std::string(url.view()), conditions});
    if (during_fetch) during_fetch(requests.size());
    HttpReadResult answer;
    const std::string address(url.view());
    if (address.empty() || address.find("broken") != std::string::npos || mode == Mode::kDown) {
      answer.end = TransferEnd::kUnreachable;
      return answer;
    }
    const int version = versions.contains(address) ? versions[address] : 1;
    answer.status = 200;
    answer.end = TransferEnd::kComplete;
    answer.head.etag = EtagOf(address, version);
    answer.head.last_modified = "Mon, 01 Jan 2024 00:00:0" + std::to_string(version) + " GMT";
    if (mode == Mode::kNoPicture) {
      answer.body = ByteSet::FromString("<html>503</html>");
    } else if (mode != Mode::kIgnoresConditions && conditions.if_none_match == answer.head.etag) {
      answer.status = 304;
    } else {
      const std::string picture = HostPicture(address, version);
      answer.body = ByteSet::FromString(
          mode == Mode::kCutShort ? picture.substr(0, picture.size() / 2) : picture);
      if (mode == Mode::kCutShort) answer.end = TransferEnd::kBroken;
    }
    answer.head.status = answer.status;
    return answer;
  }
  std::vector<std::string> Fetched() const {
    std::vector<std::string> urls;
    for (const Request& request : requests) urls.push_back(request.url);
    return urls;
  }

  Mode mode = Mode::kNormal;
  std::map<std::string, int> versions;  // 1 unless set
  std::vector<Request> requests;
  // Called inside the n-th request (from 1).
  std::function<void(std::size_t)> during_fetch;
};

// What the skin window reaches beyond the window model, recorded.
struct Recording {
  struct Started {
    InstallationInputs inputs;
    std::unique_ptr<InstallationView> view;
  };
  Host host;
  test::MemoryUserDisk kept;  // the cache's folder, when the environment has one
  std::vector<std::function<void()>> background;
  std::vector<Started> started;
  std::vector<std::string> messages;
  int closes = 0;
};

std::shared_ptr<const Text> TestGameDirectory() {
  static const auto directory = std::make_shared<const Text>("D:\\Games\\英雄联盟\\Game\\");
  return directory;
}

class SkinWindowActions : public ::testing::Test {
 protected:
  static InstallationEnvironment Environment(Recording& r) {
    InstallationEnvironment env;
    env.fetch_preview.ask_host = [&r](const Text& url, const RequestConditions& conditions) {
      return r.host.Answer(url, conditions);
    };
    env.fetch_preview.cache = std::make_shared<PreviewCache>(test::OpenMemoryUserFolder(r.kept));
    env.game_directory = &TestGameDirectory;
    env.post_to_gui = [](std::function<void()> job) { PostToGuiThread(std::move(job)); };
    env.start_thread = [&r](std::function<void()> job) {
      r.background.push_back(std::move(job));
      return true;
    };
    env.show_message = [&r](std::string_view message) { r.messages.emplace_back(message); };
    env.close_skin_window = [&r] { ++r.closes; };
    env.start_installation = [&r](InstallationInputs inputs,
                                  std::unique_ptr<InstallationView> view) {
      r.started.push_back({std::move(inputs), std::move(view)});
    };
    return env;
  }

  void SetUp() override { ReadWindowTemplates(std::span(&skin_.Template(), 1)); }
  void TearDown() override {
    window_.reset();
    RunFetchers();
    services_.started.clear();  // the installations end
    RunGuiJobs();
    EmptySkinSlots();
    ForgetWindowTemplates();
  }

  // Loads the window (as the runtime would) and raises its created event.
  void Open() {
    window_.emplace(*FindWindowRecord(kSkinWindowId));
    skin_.Created();
  }
  void Close() { window_.reset(); }
  // The threads started so far run, one after another, on this thread: the one that shows an
  // opening's kept previews, and fetchers.
  void RunJob(std::size_t index) {
    std::function<void()> job = std::move(services_.background.at(index));
    services_.background.erase(services_.background.begin() + static_cast<std::ptrdiff_t>(index));
    job();
  }
  void RunNextFetcher() { RunJob(0); }
  void RunFetchers() {
    while (!services_.background.empty()) RunNextFetcher();
  }
  // The previews are fetched and reach the GUI thread.
  void FetchAndDeliver() {
    RunFetchers();
    RunGuiJobs();
  }
  bool Disabled(int slot) {
    return ReadLogicalProperty(kSkinWindowId, LoadButtonOfSlot(slot), kPropDisabled);
  }

  std::string Picture(int slot) {
    return std::string(
        ReadBytesProperty(kSkinWindowId, PreviewBoxOfSlot(slot), kPicPicture).view());
  }
  std::string Caption(int slot) {
    return std::string(
        ReadTextProperty(kSkinWindowId, LoadButtonOfSlot(slot), kButtonCaption).view());
  }

  static const ChampionEntry& Champion(std::string_view caption) {
    return test::ChampionByCaption(caption);
  }

  Recording services_;
  InstallationEnvironment env_ = Environment(services_);
  SkinWindow skin_{env_};
  std::optional<test::FakeLoadedWindow> window_;
};

TEST_F(SkinWindowActions, PreviewsAreFetchedInSlotOrderIntoTheirBoxes) {
  const ChampionEntry& ekko = Champion("时间刺客");
  FillSkinSlots(ekko);
  Open();
  // The window is there at once, its boxes empty; neither the host nor the disk was asked.
  EXPECT_TRUE(services_.host.requests.empty());
  EXPECT_EQ(services_.kept.reads, 0);
  EXPECT_EQ(Picture(1), "");
  RunNextFetcher();  // the kept previews (none): three fetchers start
  EXPECT_EQ(services_.background.size(), 3u);
  FetchAndDeliver();
  const std::vector<std::string> fetched = services_.host.Fetched();
  ASSERT_EQ(fetched.size(), 3u);
  for (int slot = 1; slot <= 3; ++slot) {
    const std::string url(ekko.skins[slot - 1].preview_url.view());
    EXPECT_EQ(fetched[slot - 1], url);
    EXPECT_EQ(Picture(slot), HostPicture(url));
  }
  EXPECT_TRUE(fetched[0].ends_with("/lolbf/imgs/Ekko_6.jpg"));
  EXPECT_TRUE(fetched[2].ends_with("/lolbf/imgs/Ekko_2.jpg"));
}

TEST_F(SkinWindowActions, SameSkinInAllSlotsIsFetchedAndShownThreeTimes) {
  FillSkinSlots(Champion("巨魔之王"));
  Open();
  FetchAndDeliver();
  const std::vector<std::string> fetched = services_.host.Fetched();
  ASSERT_EQ(fetched.size(), 3u);
  EXPECT_EQ(fetched[0], fetched[1]);
  EXPECT_EQ(fetched[1], fetched[2]);
  EXPECT_FALSE(Picture(1).empty());
  EXPECT_EQ(Picture(1), Picture(2));
  EXPECT_EQ(Picture(2), Picture(3));
}

TEST_F(SkinWindowActions, FailedFetchesAndEmptySlotsLeaveBoxesBlank) {
  ProgramSkinSlot(1).Publish({Text("甲"), Text("http://h/lolbf/imgs/a.jpg"), Text("p")});
  ProgramSkinSlot(2).Publish({Text("乙"), Text("http://h/lolbf/imgs/broken.jpg"), Text("p")});
  Open();  // slot 3 stays empty
  FetchAndDeliver();
  EXPECT_EQ(services_.host.Fetched(),
            (std::vector<std::string>{"http://h/lolbf/imgs/a.jpg", "http://h/lolbf/imgs/broken.jpg",
                                      ""}));
  EXPECT_EQ(Picture(1), HostPicture("http://h/lolbf/imgs/a.jpg"));
  EXPECT_EQ(Picture(2), "");
  EXPECT_EQ(Picture(3), "");
}

TEST_F(SkinWindowActions, RepliesReachOnlyTheirOwnBoxOfTheOpeningThatAskedForThem) {
  const ChampionEntry& ekko = Champion("时间刺客");
  const ChampionEntry& sejuani = Champion("凛冬之怒");
  auto picture_of = [](const ChampionEntry& c, int slot) {
    return HostPicture(c.skins[slot - 1].preview_url.view());
  };

  // Replies that come back out of order: slot 1's fetcher is overtaken by a second fetcher,
  // which takes slots 2 and 3.
  FillSkinSlots(ekko);
  Open();
  RunNextFetcher();  // the kept previews (none): three fetchers start
  services_.host.during_fetch = [this](std::size_t n) {
    if (n == 1) RunNextFetcher();
  };
  FetchAndDeliver();
  services_.host.during_fetch = nullptr;
  for (int slot = 1; slot <= 3; ++slot) EXPECT_EQ(Picture(slot), picture_of(ekko, slot));

  // Replies for a window that was closed, then opened again for another champion, are dropped:
  // the kept copies as well as the host's answers.
  Close();
  Open();
  RunFetchers();  // ekko's previews read and asked for the second opening, not delivered yet
  Close();
  FillSkinSlots(sejuani);
  Open();
  RunGuiJobs();
  for (int slot = 1; slot <= 3; ++slot) EXPECT_EQ(Picture(slot), "");
  FetchAndDeliver();
  for (int slot = 1; slot <= 3; ++slot) EXPECT_EQ(Picture(slot), picture_of(sejuani, slot));

  // Previews still waiting for a fetcher when their window goes are never fetched, and no more
  // than three fetchers run.
  services_.host.requests.clear();
  Close();
  FillSkinSlots(ekko);
  Open();
  RunNextFetcher();  // ekko's kept previews shown; three fetchers start, none has run yet
  Close();
  FillSkinSlots(sejuani);
  Open();
  RunJob(services_.background.size() - 1);  // sejuani's kept previews shown and queued
  EXPECT_EQ(services_.background.size(), 3u);
  FetchAndDeliver();
  const std::vector<std::string> fetched = services_.host.Fetched();
  ASSERT_EQ(fetched.size(), 3u);
  EXPECT_EQ(fetched[0], std::string(sejuani.skins[0].preview_url.view()));
  EXPECT_EQ(Picture(3), picture_of(sejuani, 3));
}

TEST_F(SkinWindowActions, KeptPreviewsShowFirstAndGiveWayOnlyToANewPicture) {
  // A champion is opened with the host answering version 1 of its previews, then again after
  // the host changed (slot 1's preview in version 2, where `changed`) or misbehaves, then once
  // more with the host down, which shows what was kept. 0 stands for a blank box.
  struct Row {
    const char* name;
    Host::Mode mode;  // from the second opening on
    bool changed;
    bool read_only;  // the cache's folder
    int before;      // every box, before the host answers
    int after1, after23;
    int kept1, kept23;
  };
  const Row rows[] = {
      {"unchanged", Host::Mode::kNormal, false, false, 1, 1, 1, 1, 1},
      {"changed", Host::Mode::kNormal, true, false, 1, 2, 1, 2, 1},
      {"host down", Host::Mode::kDown, true, false, 1, 1, 1, 1, 1},
      {"no picture", Host::Mode::kNoPicture, true, false, 1, 1, 1, 1, 1},
      {"host ignores conditions", Host::Mode::kIgnoresConditions, false, false, 1, 1, 1, 1, 1},
      {"cut short", Host::Mode::kCutShort, true, false, 1, 1, 1, 1, 1},
      {"read-only cache", Host::Mode::kNormal, true, true, 0, 2, 1, 0, 0},
  };
  const ChampionEntry& ekko = Champion("时间刺客");
  auto url_of = [&](int slot) { return std::string(ekko.skins[slot - 1].preview_url.view()); };
  auto shows = [&](int slot, int version) {
    return Picture(slot) == (version == 0 ? std::string() : HostPicture(url_of(slot), version));
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    {
      std::lock_guard lock(services_.kept.mutex);
      services_.kept.files.clear();
      services_.kept.read_only = row.read_only;
    }
    services_.host = Host();
    FillSkinSlots(ekko);
    Open();
    FetchAndDeliver();
    for (int slot = 1; slot <= 3; ++slot) EXPECT_TRUE(shows(slot, 1)) << "first, slot " << slot;
    Close();

    services_.host.mode = row.mode;
    if (row.changed) services_.host.versions[url_of(1)] = 2;
    const std::size_t asked = services_.host.requests.size();
    const int reads = services_.kept.reads;
    FillSkinSlots(ekko);
    Open();
    RunGuiJobs();
    EXPECT_EQ(services_.kept.reads, reads);  // not on the GUI thread
    RunNextFetcher();                        // the kept copies, before any request
    RunGuiJobs();
    EXPECT_EQ(services_.host.requests.size(), asked);
    for (int slot = 1; slot <= 3; ++slot) EXPECT_TRUE(shows(slot, row.before)) << "slot " << slot;
    FetchAndDeliver();
    EXPECT_TRUE(shows(1, row.after1));
    EXPECT_TRUE(shows(2, row.after23));
    EXPECT_TRUE(shows(3, row.after23));
    // Each asked whether its kept copy changed.
    ASSERT_EQ(services_.host.requests.size(), asked + 3);
    for (int slot = 1; slot <= 3; ++slot) {
      const RequestConditions& sent = services_.host.requests[asked + slot - 1].conditions;
      EXPECT_EQ(sent.if_none_match, row.before ? Host::EtagOf(url_of(slot), 1) : "");
      EXPECT_EQ(sent.if_modified_since.empty(), row.before == 0);
    }
    Close();

    services_.host.mode = Host::Mode::kDown;
    FillSkinSlots(ekko);
    Open();
    FetchAndDeliver();
    EXPECT_TRUE(shows(1, row.kept1)) << "kept";
    EXPECT_TRUE(shows(2, row.kept23)) << "kept";
    EXPECT_TRUE(shows(3, row.kept23)) << "kept";
    Close();
  }
}

TEST_F(SkinWindowActions, ClickStartsTheSlotsInstallationWithCopies) {
  const ChampionEntry& sejuani = Champion("凛冬之怒");
  FillSkinSlots(sejuani);
  Open();
  skin_.StartSlot(1);
  skin_.StartSlot(3);
  ASSERT_EQ(services_.started.size(), 2u);
  const InstallationInputs& first = services_.started[0].inputs;
  EXPECT_EQ(first.name, Text("金甲猪女"));
  EXPECT_EQ(first.package_url, sejuani.skins[0].package_url);
  EXPECT_TRUE(first.package_url.view().ends_with(".jpg"));  // fetched like any other package
  EXPECT_EQ(first.game_directory, *TestGameDirectory());
  EXPECT_EQ(services_.started[1].inputs.name, sejuani.skins[2].name);

  // The window goes and the slots are emptied: the started installations keep what they took.
  Close();
  EmptySkinSlots();
  EXPECT_EQ(services_.started[0].inputs.name, Text("金甲猪女"));
  EXPECT_EQ(services_.started[1].inputs.package_url, sejuani.skins[2].package_url);
}

TEST_F(SkinWindowActions, WithoutGameDirectoryTheInputsHaveNone) {
  env_.game_directory = nullptr;
  FillSkinSlots(Champion("巨魔之王"));
  EXPECT_TRUE(skin_.TakeInstallationInputs(2).game_directory.empty());
  EXPECT_EQ(skin_.TakeInstallationInputs(2).name, Text("悍警巨魔"));
}

TEST_F(SkinWindowActions, ViewWritesItsOwnButtonAndClosesItsWindow) {
  FillSkinSlots(Champion("巨魔之王"));
  Open();
  skin_.StartSlot(2);
  InstallationView& view = *services_.started.at(0).view;
  view.SetCaption("正在下载");
  EXPECT_EQ(Caption(2), "载入");  // the worker does not wait for the GUI thread
  RunGuiJobs();
  EXPECT_EQ(Caption(1), "载入");
  EXPECT_EQ(Caption(2), "正在下载");
  EXPECT_EQ(Caption(3), "载入");
  view.ShowMessage("载入成功");
  EXPECT_EQ(services_.messages, (std::vector<std::string>{"载入成功"}));
  view.CloseWindow();
  EXPECT_EQ(services_.closes, 0);
  RunGuiJobs();
  EXPECT_EQ(services_.closes, 1);
}

TEST_F(SkinWindowActions, ViewLeavesAWindowThatIsGoneAlone) {
  FillSkinSlots(Champion("巨魔之王"));
  Open();
  skin_.StartSlot(1);
  InstallationView& view = *services_.started.at(0).view;
  Close();
  // Neither a fatal "window not loaded" nor a close of nothing.
  view.SetCaption("正在写入");
  view.CloseWindow();
  RunGuiJobs();
  EXPECT_EQ(services_.closes, 0);
  // The message still reaches the user.
  view.ShowMessage("载入成功");
  EXPECT_EQ(services_.messages.size(), 1u);
}

TEST_F(SkinWindowActions, ViewLeavesALaterOpeningAlone) {
  FillSkinSlots(Champion("巨魔之王"));
  Open();
  skin_.StartSlot(1);
  Close();
  FillSkinSlots(Champion("时间刺客"));
  Open();
  InstallationView& old_view = *services_.started.at(0).view;
  old_view.SetCaption("正在写入");
  old_view.CloseWindow();
  RunGuiJobs();
  EXPECT_EQ(Caption(1), "载入");
  EXPECT_EQ(services_.closes, 0);

  skin_.StartSlot(1);
  InstallationView& new_view = *services_.started.at(1).view;
  new_view.SetCaption("正在写入");
  RunGuiJobs();
  EXPECT_EQ(Caption(1), "正在写入");
  new_view.CloseWindow();
  RunGuiJobs();
  EXPECT_EQ(services_.closes, 1);
}

TEST_F(SkinWindowActions, LoadButtonsAreDisabledWhileTheirPackageIsBeingInstalled) {
  FillSkinSlots(Champion("凛冬之怒"));
  Open();
  skin_.StartSlot(1);
  EXPECT_TRUE(Disabled(1));
  EXPECT_FALSE(Disabled(2));
  skin_.StartSlot(1);  // a click that came before the button was disabled
  skin_.StartSlot(2);
  EXPECT_EQ(services_.started.size(), 2u);

  // Opened again for the same champion while it runs: still disabled, still no second download.
  Close();
  FillSkinSlots(Champion("凛冬之怒"));
  Open();
  EXPECT_TRUE(Disabled(1));
  EXPECT_TRUE(Disabled(2));
  EXPECT_FALSE(Disabled(3));
  skin_.StartSlot(1);
  EXPECT_EQ(services_.started.size(), 2u);

  // Its installation ends: the button of the loaded window comes back.
  services_.started[0].view.reset();
  EXPECT_TRUE(Disabled(1));
  RunGuiJobs();
  EXPECT_FALSE(Disabled(1));
  EXPECT_TRUE(Disabled(2));
  skin_.StartSlot(1);
  EXPECT_EQ(services_.started.size(), 3u);

  // One package in several slots: all their buttons go together.
  services_.started.clear();
  RunGuiJobs();
  Close();
  FillSkinSlots(Champion("巨魔之王"));
  Open();
  skin_.StartSlot(2);
  skin_.StartSlot(3);
  EXPECT_EQ(services_.started.size(), 1u);
  for (int slot = 1; slot <= 3; ++slot) EXPECT_TRUE(Disabled(slot));
}

}  // namespace
}  // namespace lq
