#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "TestSupport.h"
#include "lwlib/scene/Parse.h"

namespace {

// A text buffer as the scene parser makes it: the bytes, then TEXT_END.
std::string Text(std::string s) { return s + TEXT_END; }

class ParseTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveDelimiter(0);
    for (char c : {' ', '\t', '\n', '\r'}) AddDelimiter(c);
  }
  void TearDown() override { RemoveDelimiter(0); }
  char token_[TOKEN_BUFFER_SIZE];
};

}  // namespace

TEST_F(ParseTest, TokensNeedADelimiterBeforeTheEnd) {
  const std::string t = Text("first second");
  uint32_t pos = 0;
  ASSERT_TRUE(GetToken(token_, t.c_str(), pos));
  EXPECT_STREQ(token_, "first");
  EXPECT_EQ(pos, 5u);  // the delimiter is not consumed
  EXPECT_FALSE(GetToken(token_, t.c_str(), pos));
  EXPECT_STREQ(token_, "second");  // the cut-off token is kept but the position stays
  EXPECT_EQ(pos, 5u);
  const std::string t2 = Text("first second\n");
  pos = 5;
  ASSERT_TRUE(GetToken(token_, t2.c_str(), pos));
  EXPECT_STREQ(token_, "second");
  EXPECT_FALSE(GetToken(token_, t2.c_str(), pos));
  EXPECT_STREQ(token_, "");
}

TEST_F(ParseTest, NumbersAtTheEndOfTextValidateTheEmptyToken) {
  const std::string t = Text("   ");
  uint32_t pos = 0;
  int32_t i = 99;
  float f = 9.0f;
  EXPECT_TRUE(GetInt(i, t.c_str(), pos));
  EXPECT_EQ(i, 0);
  EXPECT_TRUE(GetFloat(f, t.c_str(), pos));
  EXPECT_EQ(f, 0.0f);
}

TEST_F(ParseTest, NumbersAreValidatedThenConverted) {
  const std::string t = Text("1.0 - 1-2 --1 -1.5e-3 1..2 7 ");
  uint32_t pos = 0;
  int32_t i = 5;
  EXPECT_FALSE(GetInt(i, t.c_str(), pos));
  EXPECT_EQ(i, 5);  // untouched, but the position moved past the token
  EXPECT_TRUE(GetInt(i, t.c_str(), pos));
  EXPECT_EQ(i, 0);
  EXPECT_TRUE(GetInt(i, t.c_str(), pos));
  EXPECT_EQ(i, 1);
  EXPECT_FALSE(GetInt(i, t.c_str(), pos));
  float f = 0;
  EXPECT_TRUE(GetFloat(f, t.c_str(), pos));
  EXPECT_FLOAT_EQ(f, -1.5e-3f);
  EXPECT_FALSE(GetFloat(f, t.c_str(), pos));
  EXPECT_TRUE(GetInt(i, t.c_str(), pos));
  EXPECT_EQ(i, 7);
  const std::string big = Text("1e39 -1e39 ");
  pos = 0;
  EXPECT_TRUE(GetFloat(f, big.c_str(), pos));
  EXPECT_EQ(f, std::numeric_limits<float>::infinity());
  EXPECT_TRUE(GetFloat(f, big.c_str(), pos));
  EXPECT_EQ(f, -std::numeric_limits<float>::infinity());
}

TEST(Validation, IntegerAndFloatRules) {
  for (const char* yes : {"", "-", "1-2"}) EXPECT_TRUE(IsInteger(yes)) << yes;
  for (const char* no : {"--1", "1.0", "+1"}) EXPECT_FALSE(IsInteger(no)) << no;
  for (const char* yes : {"", "-1.5e-3", "e"}) EXPECT_TRUE(IsFloat(yes)) << yes;
  // "--1-": three minus signs.
  for (const char* no : {"-1-2", "1..2", "1e5e", "+1", "--1-", "1Ee"}) EXPECT_FALSE(IsFloat(no)) << no;
}

TEST_F(ParseTest, LinesKeepInnerBlanksAndSkipLineEnds) {
  const std::string t = Text("AddNullObject\r\n  Two Words\r\nNext\n");
  uint32_t pos = 0;
  ASSERT_TRUE(MatchToken(t.c_str(), "AddNullObject", pos));
  char line[TOKEN_BUFFER_SIZE];
  ASSERT_TRUE(GetLine(line, t.c_str(), pos));
  EXPECT_STREQ(line, "Two Words");
  EXPECT_EQ(t[pos], '\r');  // the line end is left for the next call
  ASSERT_TRUE(GetLine(line, t.c_str(), pos));
  EXPECT_STREQ(line, "Next");
  EXPECT_FALSE(GetLine(line, t.c_str(), pos));
  const std::string open = Text("tail without end");
  pos = 0;
  EXPECT_FALSE(GetLine(line, open.c_str(), pos));
  EXPECT_EQ(pos, 16u);  // the position keeps what was copied
}

TEST_F(ParseTest, OverlongTokensAndLinesAreCutWithoutOverflow) {
  const std::string word(3000, 'w');
  const std::string t = Text(word + " x " + word + "\n");
  uint32_t pos = 0;
  ASSERT_TRUE(GetToken(token_, t.c_str(), pos));
  EXPECT_EQ(std::string(token_), word.substr(0, TOKEN_BUFFER_SIZE - 1));
  EXPECT_EQ(pos, 3000u);  // past the whole token
  ASSERT_TRUE(GetToken(token_, t.c_str(), pos));
  EXPECT_STREQ(token_, "x");
  char line[TOKEN_BUFFER_SIZE];
  ASSERT_TRUE(GetLine(line, t.c_str(), pos));
  EXPECT_EQ(std::string(line).size(), TOKEN_BUFFER_SIZE - 1);
  EXPECT_EQ(t[pos], '\n');
}

TEST_F(ParseTest, DelimiterSetAndKeywords) {
  EXPECT_TRUE(IsDelimiter(' '));
  EXPECT_FALSE(IsDelimiter(','));
  EXPECT_TRUE(AddDelimiter(','));
  EXPECT_TRUE(AddDelimiter(','));  // entered once
  EXPECT_TRUE(RemoveDelimiter(','));
  EXPECT_FALSE(IsDelimiter(','));
  EXPECT_FALSE(RemoveDelimiter(','));
  const char* table[] = {"LoadObject", "ObjectMotion", "LoadObject"};
  EXPECT_EQ(FindKeyword(table, "LoadObject", 3), 0);
  EXPECT_EQ(FindKeyword(table, "ObjectMotion", 3), 1);
  EXPECT_EQ(FindKeyword(table, "loadobject", 3), 3);
  EXPECT_EQ(FindKeyword(table, "", 3), 3);
  // MatchToken moves past the token whether it matched or not.
  const std::string t = Text("Alpha Beta ");
  uint32_t pos = 0;
  EXPECT_FALSE(MatchToken(t.c_str(), "Beta", pos));
  EXPECT_TRUE(MatchToken(t.c_str(), "Beta", pos));
  EXPECT_FALSE(MatchToken(t.c_str(), "Alpha", pos));  // end of text: the empty token matches no keyword
}
