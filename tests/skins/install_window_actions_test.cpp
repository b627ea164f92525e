// The skin window's handlers on the window model, with a recording stand-in for the platform:
// previews fetched in the background, each into its own box of the opening that asked for it;
// clicks that start installations with copied inputs and disable their buttons until they end;
// installations that leave a window alone once it is gone.
#include <gtest/gtest.h>

#include <functional>
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
#include "skins/skin_slots.h"
#include "skins/skin_window.h"
#include "tests/forms/fake_window.h"

namespace lq {
namespace {

// What the skin window reaches beyond the window model, recorded.
struct Recording {
  ByteSet FetchPreview(const Text& url) {
    fetched.push_back(std::string(url.view()));
    if (during_fetch) during_fetch(fetched.size());
    if (url.empty() || std::string(url.view()).find("broken") != std::string::npos) {
      return ByteSet();
    }
    return ByteSet::FromString("picture of " + std::string(url.view()));
  }

  struct Started {
    InstallationInputs inputs;
    std::unique_ptr<InstallationView> view;
  };
  std::vector<std::string> fetched;
  // Called inside the n-th fetch (from 1).
  std::function<void(std::size_t)> during_fetch;
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
    env.fetch_preview = [&r](const Text& url) { return r.FetchPreview(url); };
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
  // The fetcher threads started so far run, one after another, on this thread.
  void RunNextFetcher() {
    std::function<void()> fetcher = std::move(services_.background.front());
    services_.background.erase(services_.background.begin());
    fetcher();
  }
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
    for (const ChampionEntry& entry : Catalogue()) {
      if (entry.caption.view() == caption) {
        return entry;
      }
    }
    ADD_FAILURE() << "no champion button " << caption;
    return Catalogue().front();
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
  // The window is there at once, its boxes empty; at most three fetchers run.
  EXPECT_TRUE(services_.fetched.empty());
  EXPECT_EQ(services_.background.size(), 3u);
  EXPECT_EQ(Picture(1), "");
  FetchAndDeliver();
  ASSERT_EQ(services_.fetched.size(), 3u);
  for (int slot = 1; slot <= 3; ++slot) {
    const std::string url(ekko.skins[slot - 1].preview_url.view());
    EXPECT_EQ(services_.fetched[slot - 1], url);
    EXPECT_EQ(Picture(slot), "picture of " + url);
  }
  EXPECT_TRUE(services_.fetched[0].ends_with("/lolbf/imgs/Ekko_6.jpg"));
  EXPECT_TRUE(services_.fetched[2].ends_with("/lolbf/imgs/Ekko_2.jpg"));
}

TEST_F(SkinWindowActions, SameSkinInAllSlotsIsFetchedAndShownThreeTimes) {
  FillSkinSlots(Champion("巨魔之王"));
  Open();
  FetchAndDeliver();
  ASSERT_EQ(services_.fetched.size(), 3u);
  EXPECT_EQ(services_.fetched[0], services_.fetched[1]);
  EXPECT_EQ(services_.fetched[1], services_.fetched[2]);
  EXPECT_FALSE(Picture(1).empty());
  EXPECT_EQ(Picture(1), Picture(2));
  EXPECT_EQ(Picture(2), Picture(3));
}

TEST_F(SkinWindowActions, FailedFetchesAndEmptySlotsLeaveBoxesBlank) {
  ProgramSkinSlot(1).Publish({Text("甲"), Text("http://h/lolbf/imgs/a.jpg"), Text("p")});
  ProgramSkinSlot(2).Publish({Text("乙"), Text("http://h/lolbf/imgs/broken.jpg"), Text("p")});
  Open();  // slot 3 stays empty
  FetchAndDeliver();
  EXPECT_EQ(services_.fetched, (std::vector<std::string>{"http://h/lolbf/imgs/a.jpg",
                                                         "http://h/lolbf/imgs/broken.jpg", ""}));
  EXPECT_EQ(Picture(1), "picture of http://h/lolbf/imgs/a.jpg");
  EXPECT_EQ(Picture(2), "");
  EXPECT_EQ(Picture(3), "");
}

TEST_F(SkinWindowActions, RepliesReachOnlyTheirOwnBoxOfTheOpeningThatAskedForThem) {
  const ChampionEntry& ekko = Champion("时间刺客");
  const ChampionEntry& sejuani = Champion("凛冬之怒");
  auto picture_of = [](const ChampionEntry& c, int slot) {
    return "picture of " + std::string(c.skins[slot - 1].preview_url.view());
  };

  // Replies that come back out of order: slot 1's fetcher is overtaken by a second fetcher,
  // which takes slots 2 and 3.
  FillSkinSlots(ekko);
  Open();
  services_.during_fetch = [this](std::size_t n) {
    if (n == 1) RunNextFetcher();
  };
  FetchAndDeliver();
  services_.during_fetch = nullptr;
  for (int slot = 1; slot <= 3; ++slot) EXPECT_EQ(Picture(slot), picture_of(ekko, slot));

  // Replies for a window that was closed, then opened again for another champion, are dropped.
  Close();
  Open();
  RunFetchers();  // ekko's previews fetched for the second opening, not delivered yet
  Close();
  FillSkinSlots(sejuani);
  Open();
  RunGuiJobs();
  for (int slot = 1; slot <= 3; ++slot) EXPECT_EQ(Picture(slot), "");
  FetchAndDeliver();
  for (int slot = 1; slot <= 3; ++slot) EXPECT_EQ(Picture(slot), picture_of(sejuani, slot));

  // Previews still waiting for a fetcher when their window goes are never fetched.
  services_.fetched.clear();
  Close();
  FillSkinSlots(ekko);
  Open();  // its fetchers are not run yet
  Close();
  FillSkinSlots(sejuani);
  Open();
  EXPECT_EQ(services_.background.size(), 3u);  // no more than three fetchers
  FetchAndDeliver();
  ASSERT_EQ(services_.fetched.size(), 3u);
  EXPECT_EQ(services_.fetched[0], std::string(sejuani.skins[0].preview_url.view()));
  EXPECT_EQ(Picture(3), picture_of(sejuani, 3));
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
