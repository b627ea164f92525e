// What the user sees of an installation (captions, message, close), recorded without a window,
// against the local endpoint.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "skins/installation.h"
#include "skins/installation_environment.h"
#include "tests/support/endpoint_client.h"
#include "tests/support/scratch_dir.h"

namespace lq {
namespace {

namespace fs = std::filesystem;

class RecordingView final : public InstallationView {
 public:
  void SetCaption(std::string_view caption) override {
    steps.push_back("caption " + std::string(caption));
  }
  void ShowMessage(std::string_view message) override {
    steps.push_back("message " + std::string(message));
  }
  void CloseWindow() override { steps.push_back("close"); }
  std::vector<std::string> steps;
};

std::string Caption(std::string_view c) { return "caption " + std::string(c); }
std::string Message(std::string_view m) { return "message " + std::string(m); }

class InstallView : public ::testing::Test {
 protected:
  void SetUp() override {
    endpoint_ = test::FixtureEndpoint();
    ASSERT_TRUE(endpoint_) << "the install endpoint is not running";
    game_ = scratch_.path() / L"英雄联盟" / L"Game";
    fs::create_directories(game_);
  }
  InstallationInputs Inputs(std::string_view path) const {
    return {Text(endpoint_->Url(path)), Text("悍警巨魔"), Text(test::GbkPath(game_) + "\\")};
  }

  const InstallationEnvironment env_ = SystemInstallationEnvironment();
  test::ScratchDir scratch_{"install-view"};
  fs::path game_;
  std::optional<test::TestEndpoint> endpoint_;
};

TEST_F(InstallView, SuccessShowsProgressThenClosesTheWindow) {
  RecordingView view;
  EXPECT_EQ(RunInstallation(env_, Inputs("/install/zip/64k/a.zip"), view),
            InstallationResult::kInstalled);
  // The progress as the pieces arrive: how many there are is the network's affair.
  std::vector<std::string> progress;
  std::erase_if(view.steps, [&](const std::string& step) {
    const bool figure = step.starts_with(Caption("正在下载 "));
    if (figure) progress.push_back(step);
    return figure;
  });
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.front(), Caption("正在下载 0%"));
  EXPECT_EQ(progress.back(), Caption("正在下载 100%"));
  EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()), progress.end());
  EXPECT_EQ(view.steps, (std::vector<std::string>{Caption("正在下载"), Caption("正在写入"),
                                                  Message("载入成功"), Caption("载入"), "close"}));
}

TEST_F(InstallView, FailedDownloadIsReportedAndTheWindowStays) {
  RecordingView view;
  EXPECT_EQ(RunInstallation(env_, Inputs("/fault/status/404"), view),
            InstallationResult::kNoPackage);
  EXPECT_EQ(view.steps,
            (std::vector<std::string>{Caption("正在下载"), Message("载入失败，请稍后再试。"),
                                      Caption("载入")}));
}

TEST_F(InstallView, FailedWriteIsReportedAndTheWindowStays) {
  RecordingView view;
  InstallationInputs inputs = Inputs("/install/zip/64k/a.zip");
  inputs.game_directory = Text(test::GbkPath(scratch_.path() / L"missing") + "\\");
  EXPECT_EQ(RunInstallation(env_, inputs, view), InstallationResult::kWriteFailed);
  EXPECT_EQ(view.steps,
            (std::vector<std::string>{Caption("正在下载"), Message("载入失败，无法写入游戏目录。"),
                                      Caption("载入")}));
}

TEST_F(InstallView, NoGameDirectoryOnlyTellsTheUser) {
  RecordingView view;
  InstallationInputs inputs = Inputs("/install/zip/64k/a.zip");
  inputs.game_directory = Text();
  EXPECT_EQ(RunInstallation(env_, inputs, view), InstallationResult::kNoGameDirectory);
  EXPECT_EQ(view.steps, (std::vector<std::string>{Message("请先获取游戏目录。")}));
}

}  // namespace
}  // namespace lq
