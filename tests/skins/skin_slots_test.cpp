// The three program-wide skin slots: filling, emptying, and readers on other threads.
#include "skins/skin_slots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/skins/support/champion_lookup.h"

namespace lq {
namespace {

using test::ChampionByCaption;

class SkinSlots : public ::testing::Test {
 protected:
  void SetUp() override { EmptySkinSlots(); }
  void TearDown() override { EmptySkinSlots(); }
};

TEST_F(SkinSlots, StartEmpty) {
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    const auto record = ProgramSkinSlot(slot).Read();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(*record, SkinRecord{});
  }
}

TEST_F(SkinSlots, FillTakesTheChampionsSkinsInSlotOrder) {
  const ChampionEntry& ekko = ChampionByCaption("时间刺客");
  FillSkinSlots(ekko);
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    EXPECT_EQ(*ProgramSkinSlot(slot).Read(), ekko.skins[slot - 1]);
  }
  // A second button replaces all three.
  const ChampionEntry& yasuo = ChampionByCaption("疾风剑豪");
  FillSkinSlots(yasuo);
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    EXPECT_EQ(*ProgramSkinSlot(slot).Read(), yasuo.skins[slot - 1]);
  }
}

TEST_F(SkinSlots, TheSameRecordInAllThreeSlots) {
  FillSkinSlots(ChampionByCaption("巨魔之王"));
  const auto first = ProgramSkinSlot(1).Read();
  EXPECT_EQ(first->name.view(), std::string_view("悍警巨魔"));
  EXPECT_EQ(*ProgramSkinSlot(2).Read(), *first);
  EXPECT_EQ(*ProgramSkinSlot(3).Read(), *first);
}

TEST_F(SkinSlots, EmptyingLeavesTakenRecordsWithTheirReaders) {
  const ChampionEntry& talon = ChampionByCaption("刀锋之影");
  FillSkinSlots(talon);
  const auto taken = ProgramSkinSlot(2).Read();
  EmptySkinSlots();
  EXPECT_EQ(*ProgramSkinSlot(2).Read(), SkinRecord{});
  EXPECT_EQ(*taken, talon.skins[1]);
}

TEST(SkinSlot, PublishReplacesWholeRecords) {
  SkinSlot slot;
  slot.Publish(SkinRecord{Text("a"), Text("b"), Text("c")});
  const auto before = slot.Read();
  slot.Publish(SkinRecord{Text("x"), Text("y"), Text("z")});
  EXPECT_EQ(before->name.view(), "a");
  EXPECT_EQ(slot.Read()->name.view(), "x");
  slot.Empty();
  EXPECT_TRUE(slot.Read()->name.empty());
  EXPECT_EQ(before->package_url.view(), "c");
}

// An installation thread takes the slot's record and works with it while the GUI thread fills
// the slots for other champions and empties them: it keeps exactly the record it took, and every
// record any reader sees is whole, one of the catalogue's or the empty one.
TEST_F(SkinSlots, ReadersOnOtherThreadsKeepTheirRecord) {
  const auto catalogue = Catalogue();
  FillSkinSlots(catalogue[0]);
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::atomic<int> reads{0};

  std::vector<std::thread> readers;
  readers.reserve(kSkinSlotCount);
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    // Taken before any replacement starts; once the slot moves on, the reader holds the only
    // reference.
    readers.emplace_back([&, slot, mine = ProgramSkinSlot(slot).Read()] {
      const SkinRecord& expected = catalogue[0].skins[slot - 1];
      while (!stop.load()) {
        const auto now = ProgramSkinSlot(slot).Read();
        const SkinRecord& seen = *now;
        bool whole = seen == SkinRecord{};
        for (const ChampionEntry& entry : Catalogue()) {
          whole = whole || seen == entry.skins[slot - 1];
        }
        if (!whole) {
          ++torn;
        }
        if (!(*mine == expected)) {
          ++torn;
        }
        ++reads;
      }
    });
  }
  for (int round = 0; round < 2000 || reads.load() < 300; ++round) {
    FillSkinSlots(catalogue[round % catalogue.size()]);
    if (round % 7 == 0) {
      EmptySkinSlots();
    }
  }
  stop = true;
  for (std::thread& t : readers) {
    t.join();
  }
  EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace lq
