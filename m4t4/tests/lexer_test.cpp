#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "clean_state.h"

namespace m4t4 {
namespace {

using Tokens = std::vector<std::pair<std::string, int>>;

class Lexer : public CleanState {
 protected:
  // Scans `text` in mode 0 up to the first end-of-input token.
  Tokens scan(const std::string& text) {
    source(text);
    Tokens out;
    for (int i = 0; i < 1000; ++i) {
      Lex();
      if (token_buffer->tokenClass == kEnd) break;
      out.emplace_back(token_buffer->text.data(), token_buffer->tokenClass);
    }
    return out;
  }
};

TEST_F(Lexer, NumbersWithCommaExponentAndSign) {
  EXPECT_EQ(scan("12,5 1e5 1,5e-3 -5 +3"),
            (Tokens{{"12,5", kNumber}, {"1e5", kNumber}, {"1,5e-3", kNumber}, {"-5", kNumber},
                    {"+3", kNumber}}));
  // The space after the comma is dropped while a digit is awaited.
  EXPECT_EQ(scan("12, 3"), (Tokens{{"12,3", kNumber}}));
  EXPECT_EQ(scan("1e+5"), (Tokens{{"1e+5", kNumber}}));
  // A semicolon after "e" is dropped too.
  EXPECT_EQ(scan("1e;2"), (Tokens{{"1e2", kNumber}}));
  EXPECT_EQ(scan("12abc"), (Tokens{{"12", kNumber}, {"abc", kWord}}));
}

TEST_F(Lexer, OperatorsAndArrow) {
  EXPECT_EQ(scan("-> - x <= >= != == < !"),
            (Tokens{{"->", kArrow}, {"-", kOperator}, {"x", kWord}, {"<=", kOperator},
                    {">=", kOperator}, {"!=", kOperator}, {"=", kOperator}, {"=", kOperator},
                    {"<", kOperator}, {"!", kOperator}}));
  EXPECT_EQ(scan("@x-1"), (Tokens{{"@x", kVariable}, {"-1", kNumber}}));
  EXPECT_EQ(scan("@x - 1"), (Tokens{{"@x", kVariable}, {"-", kOperator}, {"1", kNumber}}));
  EXPECT_EQ(scan("%&()*/^_|"),
            (Tokens{{"%", kOperator}, {"&", kOperator}, {"(", kOperator}, {")", kOperator},
                    {"*", kOperator}, {"/", kOperator}, {"^", kOperator}, {"_", kOperator},
                    {"|", kOperator}}));
}

TEST_F(Lexer, StringsKeepSlashPairs) {
  EXPECT_EQ(scan("\"a/\"b\" c"), (Tokens{{"a/\"b", kString}, {"c", kWord}}));
  EXPECT_EQ(scan("\"x/ny\""), (Tokens{{"x/ny", kString}}));
  EXPECT_EQ(scan("\"two\nlines\""), (Tokens{{"two\nlines", kString}}));
  EXPECT_EQ(scan("\"\""), (Tokens{{"", kString}}));
}

TEST_F(Lexer, CommentsAreDropped) {
  EXPECT_EQ(scan(":: note ; x\ny :! a ! b !! :c !: z"), (Tokens{{"y", kWord}, {"z", kWord}}));
  // A lone ":" drops characters until "!" or ":" comes.
  EXPECT_EQ(scan(":abc: rest\nq"), (Tokens{{"q", kWord}}));
}

TEST_F(Lexer, WordsNamesAndIgnoredCharacters) {
  EXPECT_EQ(scan("aBc a_ b pis_ln . i2_end"),
            (Tokens{{"a", kWord}, {"c", kWord}, {"a_b", kWord}, {"pis_ln", kWord},
                    {".", kWord}, {"i2_end", kWord}}));
  EXPECT_EQ(scan("@1x ~f ?g_2"),
            (Tokens{{"@x", kVariable}, {"~f", kCall}, {"?g_2", kDeclaration}}));
  EXPECT_EQ(scan("\r#$',A[\\]`\x7f\xc3\xa9{;}"),
            (Tokens{{"{", kBrace}, {";", kSemicolon}, {"}", kBrace}}));
}

TEST_F(Lexer, EndOfInputRepeatsAndEndsEveryState) {
  source("x");
  Lex();
  EXPECT_STREQ(token_buffer->text.data(), "x");
  for (int i = 0; i < 3; ++i) {
    Lex();
    EXPECT_EQ(token_buffer->tokenClass, kEnd);
    EXPECT_STREQ(token_buffer->text.data(), "\xff");
  }
  EXPECT_EQ(scan("\"open"), (Tokens{{"open", kString}}));
  EXPECT_EQ(scan("1e+"), (Tokens{{"1e+", kOperator}}));
  EXPECT_EQ(scan("@"), (Tokens{{"@", kVariable}}));
  EXPECT_EQ(scan("a :! never closed"), (Tokens{{"a", kWord}}));
}

TEST_F(Lexer, LongTokensKeepTheirFirst255Characters) {
  std::string word(300, 'w');
  Tokens tokens = scan(word + " x");
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0].first, std::string(255, 'w'));
  EXPECT_EQ(tokens[1].first, "x");
}

TEST_F(Lexer, LineNumberCountsLookAhead) {
  source("{\n\n:: c\n}");
  Lex();
  EXPECT_EQ(cislo_radku, 2);  // the line feed after "{" was read as look-ahead
  Lex();
  EXPECT_STREQ(token_buffer->text.data(), "}");
  EXPECT_EQ(cislo_radku, 4);
}

TEST(NumberTest, LooksAtTheFirstTwoCharacters) {
  for (const char* yes : {"0", "7abc", "+1", "-2,5"}) EXPECT_EQ(Je_cislo(yes), 1) << yes;
  for (const char* no : {"", "-", "+x", ",5", "abc", "-nan"}) EXPECT_EQ(Je_cislo(no), 0) << no;
}

}  // namespace
}  // namespace m4t4
