// Loads as players repeat them, over a folder in memory and a scripted host: a package already in
// place is used again when the host says it is unchanged or cannot be reached, but only while it
// is still the file written and whole; a transfer that breaks goes on where it stopped; a package
// that cannot fit is refused before its first byte.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skins/archive_list.h"
#include "skins/installation.h"
#include "skins/package_store.h"
#include "tests/skins/support/test_folders.h"
#include "tests/skins/support/test_zip.h"

namespace lq {
namespace {

constexpr const char* kDirectory = "D:\\英雄联盟\\Game\\";
constexpr const char* kUrl = "http://host/lolbf/pf/a.zip";
constexpr const char* kPackage = "悍警巨魔.zip";

std::string Package(char fill) {
  const test::Bytes bytes =
      test::BuildZip({{"skin/model.bin", std::string(40'000, fill), true}}).bytes;
  return std::string(bytes.begin(), bytes.end());
}

// A byte in the middle of an entry's deflated data.
void Damage(std::string& package) { package[package.size() / 4] ^= 0x55; }

// One answer of the host to one try.
enum class Answer {
  kAsHttp,       // 304 to a matching If-None-Match, 206 to a Range with a matching If-Range,
                 // else 200 with the whole package
  kWhole,        // 200 with the whole package, whatever was asked
  kUnreachable,  // no connection
  kBreakHalf,    // as kAsHttp, but the body stops half way
};

struct Host {
  std::string body;
  std::string etag = "\"v1\"";
  std::deque<Answer> answers;  // one per try; kAsHttp once they run out
  std::vector<RequestConditions> asked;
  std::uint64_t sent = 0;  // body bytes

  TransferEnd Serve(const RequestConditions& c, BodySink& sink) {
    asked.push_back(c);
    const Answer answer = answers.empty() ? Answer::kAsHttp : answers.front();
    if (!answers.empty()) answers.pop_front();
    if (answer == Answer::kUnreachable) return TransferEnd::kUnreachable;
    ResponseHead head;
    head.etag = etag;
    std::string_view part = body;
    if (answer != Answer::kWhole && !c.if_none_match.empty() && c.if_none_match == etag) {
      head.status = 304;
      return sink.Begin(head) ? TransferEnd::kComplete : TransferEnd::kStopped;
    }
    if (answer != Answer::kWhole && c.range_from && c.if_range == etag) {
      head.status = 206;
      head.range_first = *c.range_from;
      head.range_total = body.size();
      part.remove_prefix(*c.range_from);
    } else {
      head.status = 200;
    }
    head.length = part.size();
    if (!sink.Begin(head)) return TransferEnd::kStopped;
    const bool breaks = answer == Answer::kBreakHalf;
    if (breaks) part = part.substr(0, part.size() / 2);
    sent += part.size();
    if (!part.empty() &&
        !sink.Take({reinterpret_cast<const std::uint8_t*>(part.data()), part.size()})) {
      return TransferEnd::kStopped;
    }
    return breaks ? TransferEnd::kBroken : TransferEnd::kComplete;
  }
};

class RepeatedLoads : public ::testing::Test {
 public:
  void SetUp() override {
    env_.open_folder = [this](const Text&) { return test::OpenMemoryFolder(disk_); };
    env_.download = [this](const Text&, const RequestConditions& c, BodySink& sink) {
      return host_.Serve(c, sink);
    };
    env_.packages = std::make_shared<PackageStore>([this] { return store_; },
                                                   [this](std::string_view bytes) {
                                                     store_ = std::string(bytes);
                                                     return true;
                                                   });
    host_.body = Package('a');
  }
  static Host Fresh() {
    Host host;
    host.body = Package('a');
    return host;
  }
  InstallationResult Load(const char* url = kUrl) {
    return InstallSkinPackage(env_, {Text(url), Text("悍警巨魔"), Text(kDirectory)});
  }
  std::string InPlace() { return disk_.Contents()[kPackage]; }

  test::MemoryDisk disk_;
  Host host_;
  std::optional<std::string> store_;
  InstallationEnvironment env_;
};

TEST_F(RepeatedLoads, AFileInPlaceIsUsedOnlyWhileItIsTheFileWritten) {
  struct Case {
    const char* what;
    std::vector<Answer> answers;                    // of the second load
    std::function<void(RepeatedLoads&)> meanwhile;  // between the loads
    InstallationResult result;
    bool conditional;  // whether the second load asked the host if the package changed
    bool sent_body;    // whether the second load took package bytes
    char installed;    // the package in place afterwards (its fill), 0: as before
  };
  const auto change = [](RepeatedLoads& t) {
    t.host_.body = Package('b');
    t.host_.etag = "\"v2\"";
  };
  const auto damage = [](RepeatedLoads& t) { Damage(*t.disk_.files[kPackage]); };
  const auto lose_store = [](RepeatedLoads& t) { t.store_.reset(); };
  const Answer down = Answer::kUnreachable;
  using R = InstallationResult;
  const std::vector<Case> cases = {
      // what, answers, meanwhile, result, conditional, sent body, installed
      {"unchanged", {}, nullptr, R::kInstalled, true, false, 'a'},
      {"host down", {down}, nullptr, R::kInstalled, true, false, 'a'},
      {"changed on the host", {}, change, R::kInstalled, true, true, 'b'},
      {"damaged in place, host down", {down}, damage, R::kNoPackage, false, false, 0},
      {"damaged in place, host up", {}, damage, R::kInstalled, false, true, 'a'},
      {"store lost, host down", {down}, lose_store, R::kNoPackage, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    disk_.files.clear();
    store_.reset();
    host_ = Fresh();
    ASSERT_EQ(Load(), InstallationResult::kInstalled);
    const std::string before = InPlace();
    const std::string list = disk_.Contents()["ClientZips.txt"];
    disk_.files["ClientZips.txt"] = std::make_shared<std::string>("another list");
    if (c.meanwhile) c.meanwhile(*this);
    host_.answers.assign(c.answers.begin(), c.answers.end());
    host_.sent = 0;
    host_.asked.clear();
    const std::string expected_before = InPlace();

    EXPECT_EQ(Load(), c.result);
    EXPECT_EQ(host_.sent > 0, c.sent_body);
    EXPECT_EQ(!host_.asked.front().if_none_match.empty(), c.conditional);
    if (c.installed == 0) {
      EXPECT_EQ(InPlace(), expected_before);
      EXPECT_EQ(disk_.Contents()["ClientZips.txt"], "another list");
    } else {
      EXPECT_EQ(InPlace(), Package(c.installed));
      EXPECT_EQ(disk_.Contents()["ClientZips.txt"], list);
    }
  }

  // Two skins of one file name: the other address never takes this file for its own.
  host_ = Fresh();
  ASSERT_EQ(Load(), InstallationResult::kInstalled);
  host_.answers = {Answer::kUnreachable};
  EXPECT_EQ(Load("http://host/lolbf/pf/other.zip"), InstallationResult::kNoPackage);
  EXPECT_TRUE(host_.asked.back().if_none_match.empty());
}

TEST_F(RepeatedLoads, ABrokenTransferGoesOnWhereItStoppedAtMostTwice) {
  struct Case {
    const char* what;
    std::vector<Answer> answers;
    InstallationResult result;
    std::size_t tries;
    double sent;  // body bytes sent, in packages
  };
  const Case cases[] = {
      {"resumed once", {Answer::kBreakHalf}, InstallationResult::kInstalled, 2, 1.0},
      {"resumed twice",
       {Answer::kBreakHalf, Answer::kBreakHalf},
       InstallationResult::kInstalled,
       3,
       1.0},
      {"broken three times",
       {Answer::kBreakHalf, Answer::kBreakHalf, Answer::kBreakHalf},
       InstallationResult::kNoPackage,
       3,
       0.875},
      {"host lost on the resume",
       {Answer::kBreakHalf, Answer::kUnreachable},
       InstallationResult::kInstalled,
       3,
       1.0},
      {"a host that ignores ranges starts again",
       {Answer::kBreakHalf, Answer::kWhole},
       InstallationResult::kInstalled,
       2,
       1.5},
      {"nothing arrived: no resume", {Answer::kUnreachable}, InstallationResult::kNoPackage, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    disk_.files.clear();
    store_.reset();
    host_ = Fresh();
    host_.answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(Load(), c.result);
    EXPECT_EQ(host_.asked.size(), c.tries);
    EXPECT_EQ(host_.sent, static_cast<std::uint64_t>(c.sent * host_.body.size()));
    if (c.result == InstallationResult::kInstalled) {
      EXPECT_EQ(InPlace(), host_.body);
      EXPECT_EQ(host_.asked[1].if_range, host_.etag);
    }
    // Nothing of the tries is left behind.
    for (const auto& [name, content] : disk_.Contents()) {
      EXPECT_FALSE(name.ends_with(".part")) << name;
    }
  }
}

TEST_F(RepeatedLoads, APackageThatCannotFitIsRefusedBeforeItsFirstByte) {
  disk_.Put(kPackage, "the package before");
  disk_.Put("ClientZips.txt", "the list before");
  const auto before = disk_.Contents();
  disk_.free_space = host_.body.size();  // no room left for the list
  EXPECT_EQ(Load(), InstallationResult::kNoSpace);
  EXPECT_EQ(host_.sent, 0u);
  EXPECT_EQ(disk_.Contents(), before);
  EXPECT_EQ(InstallationMessage(InstallationResult::kNoSpace), "载入失败，磁盘空间不足。");
}

}  // namespace
}  // namespace lq
