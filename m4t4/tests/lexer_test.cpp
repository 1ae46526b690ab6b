#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
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

// The scanner's state table, one character at a time, as the reference
// for the scanner: tokens of `source` with the line number after each.
struct ReferenceToken {
  std::string text;
  int tokenClass;
  long long line;
  bool operator==(const ReferenceToken&) const = default;
};

std::vector<ReferenceToken> referenceScan(const std::string& source, std::size_t count) {
  std::size_t at = 0;
  int pushed = 0;
  long long line = 1;
  auto read = [&]() -> int {
    if (pushed != 0) {
      int c = pushed;
      pushed = 0;
      return c;
    }
    if (at == source.size()) return -1;
    int c = static_cast<unsigned char>(source[at++]);
    if (c == '\n') ++line;
    return c;
  };
  auto digit = [](int c) { return c >= '0' && c <= '9'; };
  auto letter = [](int c) { return c >= 'a' && c <= 'z'; };
  std::vector<ReferenceToken> tokens;
  while (tokens.size() < count) {
    std::string text;
    int cls = kEnd, state = 0;
    auto add = [&](int c) {
      if (text.size() < 255) text += c == -1 ? '\xff' : static_cast<char>(c);
    };
    for (bool done = false; !done;) {
      int c = read();
      int next = state;
      switch (c == -1 && state != 0 ? -1 : state) {  // end of input ends every token
        case 0:
          if (c == '\t' || c == '\n' || c == ' ') cls = kWhiteSpace, done = true;
          else if (c == '!' || c == '<' || c == '>') add(c), cls = kOperator, next = 17;
          else if (c == '"') cls = kString, next = 4;
          else if (c > 0 && std::strchr("%&()*/=^_|", c)) add(c), cls = kOperator, next = 12;
          else if (c == '+') add(c), cls = kOperator, next = 15;
          else if (c == '-') add(c), cls = kOperator, next = 16;
          else if (c == '.' || letter(c)) add(c), cls = kWord, next = 14;
          else if (digit(c)) add(c), cls = kNumber, next = 13;
          else if (c == ':') add(c), cls = kComment, next = 11;
          else if (c == ';') add(c), cls = kSemicolon, next = 12;
          else if (c == '{' || c == '}') add(c), cls = kBrace, next = 12;
          else if (c == '?') add(c), cls = kDeclaration, next = 7;
          else if (c == '@') add(c), cls = kVariable, next = 7;
          else if (c == '~') add(c), cls = kCall, next = 7;
          else if (c == -1) add(c), cls = kEnd, next = 12;
          break;
        case 12: next = -1; break;
        case 13:
          if (digit(c)) add(c), cls = kNumber;
          else if (c == ',') add(c), cls = kNumber, next = 1;
          else if (c == 'e') add(c), cls = kNumber, next = 2;
          else next = -1;
          break;
        case 1: if (digit(c)) add(c), cls = kNumber, next = 19; break;
        case 19:
          if (digit(c)) add(c), cls = kNumber;
          else if (c == 'e') add(c), cls = kNumber, next = 2;
          else next = -1;
          break;
        case 2:
          if (digit(c)) add(c), cls = kNumber, next = 20;
          else if (c == '+' || c == '-') add(c), cls = kOperator, next = 3;
          break;
        case 3: if (digit(c)) add(c), cls = kNumber, next = 20; break;
        case 20: if (digit(c)) add(c), cls = kNumber; else next = -1; break;
        case 15: if (digit(c)) add(c), cls = kNumber, next = 13; else next = -1; break;
        case 16:
          if (digit(c)) add(c), cls = kNumber, next = 13;
          else if (c == '>') add(c), cls = kArrow, next = 12;
          else next = -1;
          break;
        case 17: if (c == '=') add(c), next = 12; else next = -1; break;
        case 14:
          if (c == '_') add(c), next = 6;
          else if (letter(c) || digit(c)) add(c);
          else next = -1;
          break;
        case 6: if (c == '_' || letter(c) || digit(c)) add(c), next = c == '_' ? 6 : 14; break;
        case 7: if (letter(c)) add(c), next = 14; break;
        case 4:
          if (c == '"') next = 12;
          else add(c), next = c == '/' ? 5 : 4;
          break;
        case 5: add(c), next = 4; break;
        case 11:
          if (c == '!') add(c), next = 9;
          else if (c == ':') add(c), next = 8;
          break;
        case 8: add(c), next = c == '\n' ? 12 : 8; break;
        case 9: add(c), next = c == '!' ? 10 : 9; break;
        case 10: add(c), next = c == ':' ? 12 : c == '!' ? 10 : 9; break;
      }
      if (state != 0 && (next == -1 || c == -1)) {  // finish with push-back
        pushed = c;
        done = true;
      }
      state = next;
    }
    if (cls == kWhiteSpace || cls == kComment) continue;
    tokens.push_back({text.substr(0, std::strlen(text.c_str())), cls, line});
  }
  return tokens;
}

TEST_F(Lexer, AgreesWithTheStateTableOnRandomSources) {
  std::mt19937 random(1208);
  const std::string alphabet =
      "abexz09_,e+-!<>=:;\"/@~?{}()%&*^|.  \t\n\r#A\xff" "0123456789";
  auto compare = [&](const std::string& program, std::size_t count) {
    std::vector<ReferenceToken> expected = referenceScan(program, count);
    source(program);
    for (std::size_t i = 0; i < count; ++i) {
      Lex();
      ReferenceToken got{token_buffer->text.data(), token_buffer->tokenClass, cislo_radku};
      // A number token's value, when it comes with the token, is atof's.
      double atofValue = std::atof(got.text.c_str());
      bool numberWrong = token_buffer->number.known &&
                         std::memcmp(&token_buffer->number.value, &atofValue, sizeof atofValue) != 0;
      if (got != expected[i] || token_buffer->length != got.text.size() || numberWrong) {
        ADD_FAILURE() << "token " << i << " of \"" << program << "\": \"" << got.text << "\" "
                      << got.tokenClass << " line " << got.line << ", expected \""
                      << expected[i].text << "\" " << expected[i].tokenClass << " line "
                      << expected[i].line;
        return false;
      }
    }
    return true;
  };
  for (int n = 0; n < 20000; ++n) {
    std::string program(random() % 60, ' ');
    for (char& c : program) c = random() % 50 == 0 ? '\0' : alphabet[random() % alphabet.size()];
    std::size_t count = 1;
    for (const auto& token : referenceScan(program, program.size() + 2)) {
      if (token.tokenClass == kEnd) break;
      ++count;
    }
    if (!compare(program, count + 1)) break;
  }
  // Tokens across the boundaries of the blocks the source is read in.
  std::string longer;
  while (longer.size() < 300000) longer += alphabet[random() % alphabet.size()];
  std::size_t count = 0;
  for (const auto& token : referenceScan(longer, longer.size() + 2)) {
    ++count;
    if (token.tokenClass == kEnd) break;
  }
  compare(longer, count + 1);
}

TEST_F(Lexer, NumberTokensCarryAtofsValue) {
  // Around the longest digit run whose value the scan keeps (15 digits) and
  // 2^53, signed zeros and leading zeros.
  const std::vector<std::string> numbers = {
      "0",  "-0", "+0", "007", "-000000000000001", "123456789012345", "999999999999999",
      "-999999999999999", "9999999999999999", "9007199254740992", "9007199254740993",
      "+9007199254740993", "18446744073709551617", "12,5", "1e5", "-1,5e-3", "1e+400"};
  std::string program;
  for (const std::string& number : numbers) program += number + " ";
  source(program);
  for (const std::string& number : numbers) {
    Lex();
    ASSERT_EQ(token_buffer->text.data(), number);
    ASSERT_TRUE(token_buffer->number.known) << number;
    double expected = std::atof(number.c_str());
    EXPECT_EQ(std::memcmp(&token_buffer->number.value, &expected, sizeof expected), 0)
        << number << ": " << token_buffer->number.value << " != " << expected;
  }
}

TEST(NumberTest, LooksAtTheFirstTwoCharacters) {
  for (const char* yes : {"0", "7abc", "+1", "-2,5"}) EXPECT_EQ(Je_cislo(yes), 1) << yes;
  for (const char* no : {"", "-", "+x", ",5", "abc", "-nan"}) EXPECT_EQ(Je_cislo(no), 0) << no;
}

}  // namespace
}  // namespace m4t4
