// The records of written packages: what survives the store's file, what a damaged file gives,
// and that one file has one record, whichever address wrote it last.
#include "skins/package_store.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace lq {
namespace {

PackageRecord Record(std::string file, std::string url, std::uint64_t id = 7) {
  return {"D:\\英雄联盟\\Game\\",          std::move(file),     std::move(url), "\"tag\"",
          "Mon, 01 Jan 2024 00:00:00 GMT", {1234, 5678, id, 42}};
}

TEST(PackageRecords, SurviveTheirTextAndDamagedLinesAreDropped) {
  PackageRecord odd = Record("a\tb%c.zip", "http://h/\r\n%41");
  odd.etag.clear();
  const std::vector<PackageRecord> records = {Record("悍警巨魔.zip", "http://h/x.zip"), odd};
  const std::string text = FormatPackageRecords(records);
  EXPECT_EQ(ParsePackageRecords(text), records);

  const std::size_t second = text.find('\n', text.find('\n') + 1) + 1;  // start of line 2 of 2
  struct Case {
    const char* what;
    std::string text;
    std::size_t kept;
  };
  std::string flipped = text;
  flipped[second + 3] ^= 1;
  const Case cases[] = {
      {"empty", "", 0},
      {"another header", "LOLQuillet packages 2\n" + text.substr(text.find('\n') + 1), 0},
      {"a flipped byte", flipped, 1},
      {"cut in the last line", text.substr(0, text.size() - 5), 1},
      {"a line of garbage", text + "garbage\tline\t12\n", 2},
      {"a record without its address", FormatPackageRecords({Record("a.zip", "")}), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParsePackageRecords(c.text).size(), c.kept) << c.what;
  }
}

TEST(PackageStore, OneRecordPerFileAndAStoreThatFailsOnlyForgets) {
  std::optional<std::string> file;
  bool writable = true;
  PackageStore store([&] { return file; },
                     [&](std::string_view bytes) {
                       if (writable) file = std::string(bytes);
                       return writable;
                     },
                     4);
  const std::string dir = "D:\\英雄联盟\\Game\\";
  EXPECT_FALSE(store.Find(dir, "冠军皮肤.zip"));

  // Two skins of one name: the file's record names the address that wrote it last.
  store.Remember(Record("冠军皮肤.zip", "http://h/lolbf/pf/a.zip", 1));
  store.Remember(Record("冠军皮肤.zip", "http://h/lolbf/pf/b.zip", 2));
  store.Remember(Record("悍警巨魔.zip", "http://h/lolbf/pf/t.zip", 3));
  ASSERT_TRUE(store.Find(dir, "冠军皮肤.zip"));
  EXPECT_EQ(store.Find(dir, "冠军皮肤.zip")->url, "http://h/lolbf/pf/b.zip");
  EXPECT_EQ(store.Find(dir, "冠军皮肤.zip")->identity.file_id, 2u);
  EXPECT_FALSE(store.Find("E:\\英雄联盟\\Game\\", "冠军皮肤.zip"));

  store.Forget(dir, "冠军皮肤.zip");
  EXPECT_FALSE(store.Find(dir, "冠军皮肤.zip"));
  EXPECT_TRUE(store.Find(dir, "悍警巨魔.zip"));

  // A damaged file is an empty store; one that cannot be written keeps what it had.
  file = "LOLQuillet packages 1\nnot a record\n";
  EXPECT_FALSE(store.Find(dir, "悍警巨魔.zip"));
  store.Remember(Record("悍警巨魔.zip", "http://h/lolbf/pf/t.zip"));
  writable = false;
  store.Forget(dir, "悍警巨魔.zip");
  EXPECT_TRUE(store.Find(dir, "悍警巨魔.zip"));

  // The oldest records go past the bound.
  writable = true;
  file.reset();
  for (std::size_t i = 0; i <= 4; ++i) {
    store.Remember(Record(std::to_string(i) + ".zip", "http://h/" + std::to_string(i)));
  }
  EXPECT_FALSE(store.Find(dir, "0.zip"));
  EXPECT_TRUE(store.Find(dir, "1.zip"));
}

}  // namespace
}  // namespace lq
