// The built-in catalogue: its shape, its order, the rows with spelt-out paths and the button grid.
#include "skins/catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/skins/support/champion_lookup.h"

namespace lq {
namespace {

std::string_view PathOf(const Text& url) { return DownloadPath(url.view()); }

using test::ChampionByCaption;

TEST(Catalogue, Counts) {
  const auto catalogue = Catalogue();
  ASSERT_EQ(catalogue.size(), 106u);
  std::set<std::string> names, packages, previews, captions;
  int records = 0;
  std::map<int, int> per_page;
  for (const ChampionEntry& entry : catalogue) {
    ++per_page[entry.page];
    captions.insert(entry.caption.str());
    for (const SkinRecord& skin : entry.skins) {
      ++records;
      names.insert(skin.name.str());
      packages.insert(skin.package_url.str());
      previews.insert(skin.preview_url.str());
    }
  }
  EXPECT_EQ(records, 318);
  EXPECT_EQ(names.size(), 306u);
  EXPECT_EQ(packages.size(), 316u);
  // Only the one record that fills all three slots of its button shares its preview.
  EXPECT_EQ(previews.size(), 316u);
  EXPECT_EQ(captions.size(), 106u);
  const std::map<int, int> expected{{1, 19}, {2, 20}, {3, 10}, {4, 20},
                                    {5, 13}, {6, 20}, {7, 1},  {8, 3}};
  EXPECT_EQ(per_page, expected);
}

TEST(Catalogue, IndexPagePositionAndOrder) {
  const auto catalogue = Catalogue();
  int previous_page = kFirstRolePage;
  int next_position = 0;
  for (std::size_t i = 0; i < catalogue.size(); ++i) {
    const ChampionEntry& entry = catalogue[i];
    EXPECT_EQ(entry.index, static_cast<int>(i));
    ASSERT_GE(entry.page, previous_page) << "pages out of order at " << i;
    if (entry.page != previous_page) {
      next_position = 0;
    }
    EXPECT_EQ(entry.position, next_position++) << "grid gap at " << i;
    previous_page = entry.page;
  }
  EXPECT_EQ(catalogue.front().caption.view(), std::string_view("金克丝"));
  EXPECT_EQ(catalogue.back().caption.view(), std::string_view("刀锋之影"));
}

// The grid of every role page as the main window shows it, row by row ("-": no champion).
TEST(Catalogue, ButtonGridMatchesTheMainWindow) {
  const std::vector<std::vector<std::string_view>> grids = {
      {"金克丝",   "法外狂徒", "圣枪游侠", "德莱文",   "韦鲁斯",   "暗夜猎手", "皮城女警",
       "探险家",   "深渊巨口", "鸟人-翼",  "飞机",     "瘟疫之源", "寒冰射手", "赏金猎人",
       "麦林炮手", "迅捷斥候", "战争女神", "复仇之矛", "首领之傲", "-"},
      {"沙漠皇帝", "时间刺客", "虚空之眼", "暗黑元首", "皎月女神", "冰霜女巫", "爆破鬼才",
       "机械先驱", "潮汐海灵", "九尾妖狐", "远古巫灵", "光辉女郎", "虚空先知", "暗影之拳",
       "铁铠冥魂", "大发明家", "魔蛇之拥", "复仇焰魂", "发条魔灵", "不祥之刃"},
      {"策士统领", "邪恶小法师", "冰晶凤凰", "虚空恐惧", "死亡颂唱者", "审判天使", "流浪法师",
       "诡术妖姬", "卡牌大师",   "黑暗之女", "-",        "-",          "-",        "-",
       "-",        "-",          "-",        "-",        "-",          "-"},
      {"暗裔剑魔", "生化魔人", "迷失之牙", "未来守护者", "诺克萨斯", "战争之影", "无双剑姬",
       "深海泰坦", "雷霆咆哮", "暮光之眼", "放逐之刃",   "德玛西亚", "狂暴之心", "战争之王",
       "圣锤之毅", "机械公敌", "齐天大圣", "皇子",       "荒漠屠夫", "扭曲树精"},
      {"熔岩巨兽", "巨魔之王", "海洋之灾",   "刀锋意志", "祖安狂人", "炼金术士", "武器大师",
       "蛮族之王", "亡灵战神", "猩红收割者", "哨兵之殇", "狂战士",   "掘墓者",   "-",
       "-",        "-",        "-",          "-",        "-",        "-"},
      {"虚空遁地",   "皮城执法官", "虚空掠夺者", "凛冬之怒", "傲之追猎者", "龙血武姬", "酒桶",
       "兽灵行者",   "水晶先锋",   "盲僧",       "蜘蛛女皇", "永恒梦魇",   "恶魔小丑", "披甲龙龟",
       "殇之木乃伊", "寡妇制造者", "雪人骑士",   "嗜血猎手", "末日使者",   "德邦总管"},
      {"无极剑圣", "-", "-", "-", "-", "-", "-", "-", "-", "-",
       "-",        "-", "-", "-", "-", "-", "-", "-", "-", "-"},
      {"影流之主", "疾风剑豪", "刀锋之影", "-", "-", "-", "-", "-", "-", "-",
       "-",        "-",        "-",        "-", "-", "-", "-", "-", "-", "-"},
  };
  for (int page = kFirstRolePage; page <= kLastRolePage; ++page) {
    const auto& grid = grids[page - kFirstRolePage];
    ASSERT_EQ(grid.size(), static_cast<std::size_t>(kButtonsPerPage));
    for (int position = 0; position < kButtonsPerPage; ++position) {
      const ChampionEntry* entry = FindChampionButton(page, position);
      if (grid[position] == "-") {
        EXPECT_EQ(entry, nullptr) << "page " << page << " position " << position;
      } else {
        ASSERT_NE(entry, nullptr) << "page " << page << " position " << position;
        EXPECT_EQ(entry->caption.view(), grid[position]);
        EXPECT_EQ(entry->page, page);
        EXPECT_EQ(entry->position, position);
      }
    }
  }
}

TEST(Catalogue, ButtonLookupOutsideTheGrid) {
  EXPECT_EQ(FindChampionButton(0, 0), nullptr);  // the settings page
  EXPECT_EQ(FindChampionButton(9, 0), nullptr);
  EXPECT_EQ(FindChampionButton(-1, 0), nullptr);
  EXPECT_EQ(FindChampionButton(1, -1), nullptr);
  EXPECT_EQ(FindChampionButton(1, kButtonsPerPage), nullptr);
  EXPECT_NE(FindChampionButton(kLastRolePage, 2), nullptr);
}

TEST(Catalogue, SkinNamesInSlotOrder) {
  struct Row {
    std::string_view caption;
    std::string_view names[3];
  };
  const Row rows[] = {
      {"金克丝", {"暴走萝莉黑帮狂花", "暴走萝莉羊年限定", "暴走萝莉红色暴走"}},
      {"首领之傲", {"冰霜恶魔", "毁灭者", "电子人"}},
      {"不祥之刃", {"圣诞卡特", "暗夜猫女", "绯红冰魄"}},
      {"皇子", {"孤胆英豪", "孤单英豪", "骷髅骑士"}},
      {"巨魔之王", {"悍警巨魔", "悍警巨魔", "悍警巨魔"}},
      {"无极剑圣", {"紫色酷炫易大师", "镀银白易", "镂空技艺"}},
      {"刀锋之影", {"冠军皮肤", "刺客信条泰隆", "虐杀原形"}},
  };
  for (const Row& row : rows) {
    const ChampionEntry& entry = ChampionByCaption(row.caption);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(entry.skins[i].name.view(), row.names[i]) << row.caption;
    }
  }
}

TEST(Catalogue, NamesAreGbkOfTwoToEightCharacters) {
  std::set<std::string> with_ascii;
  for (const ChampionEntry& entry : Catalogue()) {
    for (const SkinRecord& skin : entry.skins) {
      const std::string_view name = skin.name.view();
      EXPECT_GE(name.size(), 4u) << name;
      EXPECT_LE(name.size(), 16u) << name;
      int characters = 0;
      for (std::size_t i = 0; i < name.size(); ++characters) {
        const auto lead = static_cast<unsigned char>(name[i]);
        if (lead < 0x80) {
          with_ascii.insert(std::string(name));
          ++i;
          continue;
        }
        ASSERT_TRUE(lead >= 0x81 && lead <= 0xFE) << name;
        ASSERT_LT(i + 1, name.size()) << "cut double-byte character in " << name;
        const auto trail = static_cast<unsigned char>(name[i + 1]);
        ASSERT_TRUE(trail >= 0x40 && trail <= 0xFE && trail != 0x7F) << name;
        i += 2;
      }
      EXPECT_GE(characters, 2) << name;
      EXPECT_LE(characters, 8) << name;
    }
  }
  EXPECT_EQ(with_ascii, (std::set<std::string>{"性感OL", "SKT薇恩", "霸天1异形"}));
  // The bytes really are GBK: 悍警巨魔.
  EXPECT_EQ(ChampionByCaption("巨魔之王").skins[0].name.view(), "\xBA\xB7\xBE\xAF\xBE\xDE\xC4\xA7");
}

TEST(Catalogue, RepeatedNames) {
  std::map<std::string, std::vector<std::pair<std::string, int>>> where;
  for (const ChampionEntry& entry : Catalogue()) {
    for (int i = 0; i < 3; ++i) {
      where[entry.skins[i].name.str()].push_back({entry.caption.str(), i + 1});
    }
  }
  const std::vector<std::pair<std::string, int>> champion_skins = {
      {"瘟疫之源", 3}, {"复仇之矛", 2}, {"放逐之刃", 1}, {"傲之追猎者", 2}, {"刀锋之影", 1}};
  EXPECT_EQ(where["冠军皮肤"], champion_skins);
  EXPECT_EQ(where["未来战士"].size(), 3u);
  for (const char* twice : {"摇滚歌手", "钢铁军团", "暗杀星", "合金装备"}) {
    EXPECT_EQ(where[twice].size(), 2u) << twice;
  }
  EXPECT_EQ(where["悍警巨魔"].size(), 3u);
}

TEST(Catalogue, RowsWithSpeltOutPaths) {
  struct Row {
    std::string_view caption;
    int slot;
    std::string_view name, preview, package;
  };
  const Row rows[] = {
      {"时间刺客", 1, "学院艾克", "/lolbf/imgs/Ekko_6.jpg",
       "/lolbf/pf/ekko_17d7ba3c546545aa7fa7279a2983a55c.zip"},
      {"时间刺客", 2, "粉色艾克", "/lolbf/imgs/Ekko_3.jpg",
       "/lolbf/pf/ekko_4b103af858e60fcd12c575b3cd054c75.zip"},
      {"时间刺客", 3, "篮脸艾克", "/lolbf/imgs/Ekko_2.jpg",
       "/lolbf/pf/ekko_6d1c98ea01f631a11299d1091c0e83ce.zip"},
      {"齐天大圣", 1, "地狱行者", "/lolbf/imgs/MonkeyKing_03.jpg",
       "/lolbf/pf/monkeyking_66d9abb01bdc4c06a4888a762c3329cc.zip"},
      {"复仇焰魂", 2, "摇滚歌手", "/lolbf/imgs/Brand_14.jpg",
       "/lolbf/pf/Brand_5295262a73d1c814312070e8488424c7.zip"},
      {"巨魔之王", 1, "悍警巨魔", "/lolbf/imgs/Trundle_2.jpg",
       "/lolbf/pf/trundle_b02d6030d56b13a29357ffa271cefa79.zip"},
      {"巨魔之王", 2, "悍警巨魔", "/lolbf/imgs/Trundle_2.jpg",
       "/lolbf/pf/trundle_b02d6030d56b13a29357ffa271cefa79.zip"},
      {"巨魔之王", 3, "悍警巨魔", "/lolbf/imgs/Trundle_2.jpg",
       "/lolbf/pf/trundle_b02d6030d56b13a29357ffa271cefa79.zip"},
      {"龙血武姬", 1, "钻石星辰", "/lolbf/imgs/Shyvana%20_04.jpg",
       "/lolbf/pf/shyvana_ccbf9ebc6011d4f6b87336bb313ef5b4.zip"},
      {"披甲龙龟", 2, "索尼克", "/lolbf/imgs/Rammus_02.jpg",
       "/lolbf/pf/Rammus%20_1924d77bbcfb36087411fcf53d022a45.zip"},
      {"凛冬之怒", 1, "金甲猪女", "/lolbf/imgs/Sejuani_1.jpg",
       "/lolbf/pf/sejuani_bf5ccc045c6e82e6d13e0a67ad14b574.jpg"},
      {"复仇之矛", 3, "黑白冠军", "/lolbf/imgs/Kalista_5.jpg",
       "/lolbf/pf/kalistaaltar_af61153fe8492e3e357e7c67f6aa7e8d.zip"},
      {"掘墓者", 1, "守墓傀儡", "/lolbf/imgs/Yorick_02.jpg",
       "/lolbf/pf/yorik_d931c7e9ff5128894b23c700373d08d6.zip"},
  };
  for (const Row& row : rows) {
    const SkinRecord& skin = ChampionByCaption(row.caption).skins[row.slot - 1];
    EXPECT_EQ(skin.name.view(), row.name);
    EXPECT_EQ(skin.preview_url, DownloadUrl(row.preview)) << row.caption << " " << row.slot;
    EXPECT_EQ(skin.package_url, DownloadUrl(row.package)) << row.caption << " " << row.slot;
  }
  // The three slots of 巨魔之王 hold one and the same record.
  const ChampionEntry& trundle = ChampionByCaption("巨魔之王");
  EXPECT_EQ(trundle.skins[0], trundle.skins[1]);
  EXPECT_EQ(trundle.skins[0], trundle.skins[2]);
}

TEST(Catalogue, EveryUrlIsOnTheDownloadHost) {
  for (const ChampionEntry& entry : Catalogue()) {
    for (const SkinRecord& skin : entry.skins) {
      for (const Text* url : {&skin.preview_url, &skin.package_url}) {
        EXPECT_TRUE(url->view().starts_with(kDownloadHost)) << url->view();
        EXPECT_EQ(DownloadUrl(PathOf(*url)), *url);
      }
    }
  }
}

TEST(Catalogue, DownloadPathOfOtherUrls) {
  const std::string host(kDownloadHost);
  EXPECT_EQ(DownloadPath(host + "/lolbf/imgs/Ekko_6.jpg"), "/lolbf/imgs/Ekko_6.jpg");
  EXPECT_EQ(DownloadPath("http://elsewhere.example/lolbf/imgs/Ekko_6.jpg"), "");
  EXPECT_EQ(DownloadPath(host + "1/lolbf/imgs/Ekko_6.jpg"), "");  // a longer host or port
  EXPECT_EQ(DownloadPath(host), "");
  EXPECT_EQ(DownloadPath(""), "");
}

TEST(Catalogue, OnlyOneButtonWasWiredToReopen) {
  for (const ChampionEntry& entry : Catalogue()) {
    EXPECT_EQ(entry.reopened_skin_window, entry.caption.view() == std::string_view("刀锋之影"))
        << entry.caption.view();
  }
}

TEST(Catalogue, RebuildingGivesTheSameCatalogue) {
  const std::vector<ChampionEntry> rebuilt = BuildCatalogue();
  const auto catalogue = Catalogue();
  ASSERT_EQ(rebuilt.size(), catalogue.size());
  for (std::size_t i = 0; i < rebuilt.size(); ++i) {
    EXPECT_EQ(rebuilt[i].caption, catalogue[i].caption);
    EXPECT_EQ(rebuilt[i].champion, catalogue[i].champion);
    EXPECT_EQ(rebuilt[i].page, catalogue[i].page);
    EXPECT_EQ(rebuilt[i].position, catalogue[i].position);
    EXPECT_EQ(rebuilt[i].skins, catalogue[i].skins);
  }
}

}  // namespace
}  // namespace lq
