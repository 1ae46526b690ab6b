#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "clean_state.h"

namespace m4t4 {
namespace {

using Tokeny = std::vector<std::pair<std::string, int>>;

class Lexer : public CleanState {
 protected:
  // Scans `text` in mode 0 up to the first end-of-input token.
  Tokeny scan(const std::string& text) {
    source(text);
    Tokeny out;
    for (int i = 0; i < 1000; ++i) {
      Lex();
      if (token_buffer->trida == kKonec) break;
      out.emplace_back(token_buffer->text.data(), token_buffer->trida);
    }
    return out;
  }
};

TEST_F(Lexer, NumbersWithCommaExponentAndSign) {
  EXPECT_EQ(scan("12,5 1e5 1,5e-3 -5 +3"),
            (Tokeny{{"12,5", kCislo}, {"1e5", kCislo}, {"1,5e-3", kCislo}, {"-5", kCislo},
                    {"+3", kCislo}}));
  // The space after the comma is dropped while a digit is awaited.
  EXPECT_EQ(scan("12, 3"), (Tokeny{{"12,3", kCislo}}));
  EXPECT_EQ(scan("1e+5"), (Tokeny{{"1e+5", kCislo}}));
  // A semicolon after "e" is dropped too.
  EXPECT_EQ(scan("1e;2"), (Tokeny{{"1e2", kCislo}}));
  EXPECT_EQ(scan("12abc"), (Tokeny{{"12", kCislo}, {"abc", kSlovo}}));
}

TEST_F(Lexer, OperatorsAndArrow) {
  EXPECT_EQ(scan("-> - x <= >= != == < !"),
            (Tokeny{{"->", kSipka}, {"-", kOperator}, {"x", kSlovo}, {"<=", kOperator},
                    {">=", kOperator}, {"!=", kOperator}, {"=", kOperator}, {"=", kOperator},
                    {"<", kOperator}, {"!", kOperator}}));
  EXPECT_EQ(scan("@x-1"), (Tokeny{{"@x", kPromenna}, {"-1", kCislo}}));
  EXPECT_EQ(scan("@x - 1"), (Tokeny{{"@x", kPromenna}, {"-", kOperator}, {"1", kCislo}}));
  EXPECT_EQ(scan("%&()*/^_|"),
            (Tokeny{{"%", kOperator}, {"&", kOperator}, {"(", kOperator}, {")", kOperator},
                    {"*", kOperator}, {"/", kOperator}, {"^", kOperator}, {"_", kOperator},
                    {"|", kOperator}}));
}

TEST_F(Lexer, StringsKeepSlashPairs) {
  EXPECT_EQ(scan("\"a/\"b\" c"), (Tokeny{{"a/\"b", kRetezec}, {"c", kSlovo}}));
  EXPECT_EQ(scan("\"x/ny\""), (Tokeny{{"x/ny", kRetezec}}));
  EXPECT_EQ(scan("\"two\nlines\""), (Tokeny{{"two\nlines", kRetezec}}));
  EXPECT_EQ(scan("\"\""), (Tokeny{{"", kRetezec}}));
}

TEST_F(Lexer, CommentsAreDropped) {
  EXPECT_EQ(scan(":: note ; x\ny :! a ! b !! :c !: z"), (Tokeny{{"y", kSlovo}, {"z", kSlovo}}));
  // A lone ":" drops characters until "!" or ":" comes.
  EXPECT_EQ(scan(":abc: rest\nq"), (Tokeny{{"q", kSlovo}}));
}

TEST_F(Lexer, WordsNamesAndIgnoredCharacters) {
  EXPECT_EQ(scan("aBc a_ b pis_ln . i2_end"),
            (Tokeny{{"a", kSlovo}, {"c", kSlovo}, {"a_b", kSlovo}, {"pis_ln", kSlovo},
                    {".", kSlovo}, {"i2_end", kSlovo}}));
  EXPECT_EQ(scan("@1x ~f ?g_2"),
            (Tokeny{{"@x", kPromenna}, {"~f", kVolani}, {"?g_2", kDeklarace}}));
  EXPECT_EQ(scan("\r#$',A[\\]`\x7f\xc3\xa9{;}"),
            (Tokeny{{"{", kSlozena}, {";", kStrednik}, {"}", kSlozena}}));
}

TEST_F(Lexer, EndOfInputRepeatsAndEndsEveryState) {
  source("x");
  Lex();
  EXPECT_STREQ(token_buffer->text.data(), "x");
  for (int i = 0; i < 3; ++i) {
    Lex();
    EXPECT_EQ(token_buffer->trida, kKonec);
    EXPECT_STREQ(token_buffer->text.data(), "\xff");
  }
  EXPECT_EQ(scan("\"open"), (Tokeny{{"open", kRetezec}}));
  EXPECT_EQ(scan("1e+"), (Tokeny{{"1e+", kOperator}}));
  EXPECT_EQ(scan("@"), (Tokeny{{"@", kPromenna}}));
  EXPECT_EQ(scan("a :! never closed"), (Tokeny{{"a", kSlovo}}));
}

TEST_F(Lexer, LongTokensKeepTheirFirst255Characters) {
  std::string word(300, 'w');
  Tokeny tokens = scan(word + " x");
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
