// How scenario lines become steps.
#include <gtest/gtest.h>

#include "tools/driver/lib/scenario.h"
#include "tools/driver/lib/wide.h"

namespace lq::driver {
namespace {

Step Parse(const std::string& line) {
  Step step;
  std::string error;
  EXPECT_TRUE(ParseStep(line, 7, &step, &error)) << error;
  return step;
}

TEST(ScenarioParse, CommandArgumentsAndOptions) {
  const Step s = Parse(U8(u8"wait-window title=\"驱动 测试\" control=0x16000001 timeout=500"));
  EXPECT_EQ(s.line, 7);
  EXPECT_EQ(s.command, "wait-window");
  EXPECT_TRUE(s.args.empty());
  EXPECT_EQ(s.options.at("title"), U8(u8"驱动 测试"));
  EXPECT_EQ(s.options.at("control"), "0x16000001");
  EXPECT_EQ(s.options.at("timeout"), "500");
}

TEST(ScenarioParse, QuotedTextKeepsSpacesEqualsAndEscapes) {
  const Step s = Parse(R"(expect-text 0x1 "a = b \"c\"\r\n" caption "x")");
  ASSERT_EQ(s.args.size(), 4u);
  EXPECT_EQ(s.args[1], "a = b \"c\"\r\n");
  EXPECT_EQ(s.args[2], "caption");
  EXPECT_TRUE(s.options.empty());
  // Only a lower-case name before an unquoted '=' makes an option.
  const Step t = Parse("set-text 0x1 Key=Value");
  EXPECT_EQ(t.args.at(1), "Key=Value");
}

TEST(ScenarioParse, MalformedLines) {
  Step s;
  std::string error;
  EXPECT_FALSE(ParseStep("expect-text 0x1 \"open", 1, &s, &error));
  EXPECT_EQ(error, "unclosed quote");
  EXPECT_FALSE(ParseStep("timeout=5 click 0x1", 1, &s, &error));
}

}  // namespace
}  // namespace lq::driver
