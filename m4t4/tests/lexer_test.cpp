#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "clean_state.h"
#include "listing.h"

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
// for the scanner: every scan of `source` from its start to the end of
// input, tokens and discarded scans alike, with its place in the source and
// the line number after it. A character dropped in the start state is a
// piece of its own (kDroppedCharacter), as listSource gives it.
struct ReferencePiece {
  std::size_t start;  // offset of its first character
  std::size_t end;    // offset after its last character
  int type;           // token class, or kDroppedCharacter
  std::string text;   // token text: its first 255 characters, up to a NUL
  long long line;     // 1 + line feeds read when the scan ended
};

// The states of the table, named as the scanner's comments name them.
enum class State {
  kStart,
  kComplete,           // a token complete but for its look-ahead
  kIntegerDigits,      // a number's integer digits
  kAfterComma,         // after the decimal comma: a digit is awaited
  kFractionDigits,     // a number's fraction digits
  kAfterE,             // after the exponent's "e": a digit or sign is awaited
  kAfterExponentSign,  // after the exponent's sign: a digit is awaited
  kExponentDigits,     // the exponent's digits
  kAfterPlus,          // after "+"
  kAfterMinus,         // after "-"
  kAfterRelation,      // after "!", "<" or ">"
  kInWord,             // a word
  kAfterUnderscore,    // a word after an underscore
  kAfterSigil,         // after "?", "@" or "~": a letter is awaited
  kInString,           // a string
  kAfterSlash,         // a string after a slash
  kAfterColon,         // after ":": "!" or ":" is awaited
  kLineComment,        // a line comment
  kBlockComment,       // a block comment
  kAfterBang,          // a block comment after a "!"
  kFinished,           // the token is finished with its push-back
};

std::vector<ReferencePiece> referencePieces(const std::string& source) {
  using enum State;
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
  std::vector<ReferencePiece> pieces;
  std::size_t start = 0;
  for (int cls = 0; cls != kEnd;) {
    std::string text;
    State state = kStart;
    cls = kEnd;
    auto add = [&](int c) {
      if (text.size() < 255) text += c == -1 ? '\xff' : static_cast<char>(c);
    };
    for (bool done = false; !done;) {
      int c = read();
      State next = state;
      if (c == -1 && state != kStart) next = kFinished;  // end of input ends every token
      else switch (state) {
        case kStart:
          if (c == '\t' || c == '\n' || c == ' ') cls = kWhiteSpace, done = true;
          else if (c == '!' || c == '<' || c == '>') add(c), cls = kOperator, next = kAfterRelation;
          else if (c == '"') cls = kString, next = kInString;
          else if (c > 0 && std::strchr("%&()*/=^_|", c)) add(c), cls = kOperator, next = kComplete;
          else if (c == '+') add(c), cls = kOperator, next = kAfterPlus;
          else if (c == '-') add(c), cls = kOperator, next = kAfterMinus;
          else if (c == '.' || letter(c)) add(c), cls = kWord, next = kInWord;
          else if (digit(c)) add(c), cls = kNumber, next = kIntegerDigits;
          else if (c == ':') add(c), cls = kComment, next = kAfterColon;
          else if (c == ';') add(c), cls = kSemicolon, next = kComplete;
          else if (c == '{' || c == '}') add(c), cls = kBrace, next = kComplete;
          else if (c == '?') add(c), cls = kDeclaration, next = kAfterSigil;
          else if (c == '@') add(c), cls = kVariable, next = kAfterSigil;
          else if (c == '~') add(c), cls = kCall, next = kAfterSigil;
          else if (c == -1) add(c), cls = kEnd, next = kComplete;
          else pieces.push_back({start, at, kDroppedCharacter, "", line}), start = at;  // dropped
          break;
        case kComplete: next = kFinished; break;
        case kIntegerDigits:
          if (digit(c)) add(c), cls = kNumber;
          else if (c == ',') add(c), cls = kNumber, next = kAfterComma;
          else if (c == 'e') add(c), cls = kNumber, next = kAfterE;
          else next = kFinished;
          break;
        case kAfterComma: if (digit(c)) add(c), cls = kNumber, next = kFractionDigits; break;
        case kFractionDigits:
          if (digit(c)) add(c), cls = kNumber;
          else if (c == 'e') add(c), cls = kNumber, next = kAfterE;
          else next = kFinished;
          break;
        case kAfterE:
          if (digit(c)) add(c), cls = kNumber, next = kExponentDigits;
          else if (c == '+' || c == '-') add(c), cls = kOperator, next = kAfterExponentSign;
          break;
        case kAfterExponentSign: if (digit(c)) add(c), cls = kNumber, next = kExponentDigits; break;
        case kExponentDigits: if (digit(c)) add(c), cls = kNumber; else next = kFinished; break;
        case kAfterPlus: if (digit(c)) add(c), cls = kNumber, next = kIntegerDigits; else next = kFinished; break;
        case kAfterMinus:
          if (digit(c)) add(c), cls = kNumber, next = kIntegerDigits;
          else if (c == '>') add(c), cls = kArrow, next = kComplete;
          else next = kFinished;
          break;
        case kAfterRelation: if (c == '=') add(c), next = kComplete; else next = kFinished; break;
        case kInWord:
          if (c == '_') add(c), next = kAfterUnderscore;
          else if (letter(c) || digit(c)) add(c);
          else next = kFinished;
          break;
        case kAfterUnderscore:
          if (c == '_' || letter(c) || digit(c)) add(c), next = c == '_' ? kAfterUnderscore : kInWord;
          break;
        case kAfterSigil: if (letter(c)) add(c), next = kInWord; break;
        case kInString:
          if (c == '"') next = kComplete;
          else add(c), next = c == '/' ? kAfterSlash : kInString;
          break;
        case kAfterSlash: add(c), next = kInString; break;
        case kAfterColon:
          if (c == '!') add(c), next = kBlockComment;
          else if (c == ':') add(c), next = kLineComment;
          break;
        case kLineComment: add(c), next = c == '\n' ? kComplete : kLineComment; break;
        case kBlockComment: add(c), next = c == '!' ? kAfterBang : kBlockComment; break;
        case kAfterBang: add(c), next = c == ':' ? kComplete : c == '!' ? kAfterBang : kBlockComment; break;
        case kFinished: break;
      }
      if (state != kStart && next == kFinished) {  // finish with push-back
        pushed = c;
        done = true;
      }
      state = next;
    }
    std::size_t end = pushed > 0 ? at - 1 : at;  // a pushed-back character is the next scan's
    pieces.push_back({start, end, cls, text.substr(0, std::strlen(text.c_str())), line});
    start = end;
  }
  return pieces;
}

// The tokens of `source` (text, class and line number after each), as the
// parser receives them: `count` of them, end of input repeating at the end.
struct ReferenceToken {
  std::string text;
  int tokenClass;
  long long line;
  bool operator==(const ReferenceToken&) const = default;
};

bool isDelivered(int type) { return type != kWhiteSpace && type != kComment && type != kDroppedCharacter; }

std::vector<ReferenceToken> referenceScan(const std::string& source, std::size_t count) {
  std::vector<ReferenceToken> tokens;
  for (const ReferencePiece& piece : referencePieces(source)) {
    if (isDelivered(piece.type)) tokens.push_back({piece.text, piece.type, piece.line});
  }
  while (tokens.size() < count) tokens.push_back(tokens.back());
  tokens.resize(count);
  return tokens;
}

constexpr std::size_t kTextLimitForTests = 255;  // the characters a token keeps

// "[start,end) type" for each piece, to show where listings differ.
template <typename Pieces>
std::string describe(const Pieces& pieces) {
  std::string text;
  for (const auto& piece : pieces) {
    text.append("[").append(std::to_string(piece.start)).append(",");
    text.append(std::to_string(piece.end)).append(")").append(std::to_string(piece.type)).append(" ");
  }
  return text;
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
    // listSource reads the same pieces.
    const std::string listed = describe(listSource(program.data(), program.size()));
    if (listed != describe(referencePieces(program))) {
      ADD_FAILURE() << "listSource of \"" << program << "\": " << listed << ", expected "
                    << describe(referencePieces(program));
      return false;
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

// Every kind of token (and of discarded scan) at every length from 20 below
// to 20 above the 255 characters a token keeps, starting at every offset
// from 20 before to 20 after an edge of the blocks the source is read in,
// after blanks (and, at the longest length, after a ";", whose look-ahead is
// then the construct's first character): the scanner and listSource against
// the state table, tokens, classes, line numbers and pieces.
class Sweep : public Lexer {
 protected:
  // The construct of `length` bytes, or `fixed` for a kind without a length.
  struct Kind {
    std::string name;
    std::function<std::string(std::size_t)> make;  // null: `fixed`
    std::string fixed;
    bool atEnd = false;  // the source ends right after it
  };

  // `length` characters of `unit` repeated.
  static std::string cycle(const std::string& unit, std::size_t length) {
    std::string text;
    while (text.size() < length) text += unit;
    return text.substr(0, length);
  }

  static std::vector<Kind> kinds() {
    auto digits = [](std::size_t n) { return cycle("1234567890", n); };
    auto grown = [](std::string name, std::function<std::string(std::size_t)> make,
                    bool atEnd = false) { return Kind{std::move(name), std::move(make), "", atEnd}; };
    std::vector<Kind> all = {
        grown("number", [=](std::size_t n) { return digits(n); }),
        grown("negative number", [=](std::size_t n) { return "-" + digits(n - 1); }),
        grown("positive number", [=](std::size_t n) { return "+" + digits(n - 1); }),
        grown("comma in the middle", [=](std::size_t n) { return digits(n / 2) + "," + digits(n - n / 2 - 1); }),
        grown("comma at the end", [=](std::size_t n) { return digits(n - 2) + ",5"; }),
        grown("exponent", [=](std::size_t n) { return "1,5e" + digits(n - 4); }),
        grown("exponent with -", [=](std::size_t n) { return "2e-" + digits(n - 3); }),
        grown("exponent with +", [=](std::size_t n) { return "3,1e+" + digits(n - 5); }),
        grown("long exponent mark", [=](std::size_t n) { return digits(n - 2) + "e7"; }),
        grown("dropped after a comma", [](std::size_t n) { return "7," + std::string(n - 3, ' ') + "5"; }),
        grown("dropped after e", [](std::size_t n) { return "8e" + cycle(";x", n - 3) + "4"; }),
        grown("dropped after a sign", [](std::size_t n) { return "9e-" + cycle("ab", n - 4) + "6"; }),
        grown("word", [](std::size_t n) { return "w" + cycle("ab_c9", n - 1); }),
        grown("word from a dot", [](std::size_t n) { return "." + cycle("z", n - 1); }),
        grown("dropped after an underscore", [](std::size_t n) { return "ab_" + std::string(n - 4, ' ') + "c"; }),
        grown("variable", [](std::size_t n) { return "@v" + cycle("x_1", n - 2); }),
        grown("call", [](std::size_t n) { return "~f" + cycle("y2", n - 2); }),
        grown("declaration", [](std::size_t n) { return "?g" + cycle("_z", n - 2); }),
        grown("dropped after a sigil", [=](std::size_t n) { return "@" + digits(n - 2) + "x"; }),
        grown("string with escapes", [](std::size_t n) {
          std::string text = cycle("ab/\"c/nd\n", n - 2);
          if (text.back() == '/') text.back() = 'x';  // (would escape the closing quote)
          return "\"" + text + "\"";
        }),
        grown("string with a NUL", [](std::size_t n) {
          return "\"ab" + std::string(1, '\0') + cycle("xy", n - 5) + "\"";
        }),
        grown("line comment", [](std::size_t n) { return "::" + cycle("c !:", n - 3) + "\n"; }),
        grown("block comment", [](std::size_t n) { return ":!" + cycle("b!\n! ", n - 5) + "!!:"; }),
        grown("lone colon", [](std::size_t n) { return ":" + cycle("qr", n - 2) + ":"; }),
        grown("ignored characters", [](std::size_t n) { return cycle("#$'A[\\]`\r\x7f\x80,Z", n); }),
        grown("string at the end", [](std::size_t n) { return "\"" + cycle("ab/\"\n", n - 1); }, true),
        grown("line comment at the end", [](std::size_t n) { return "::" + cycle("x", n - 2); }, true),
        grown("block comment at the end", [](std::size_t n) { return ":!" + cycle("x!", n - 2); }, true),
        grown("comma at the end of input", [](std::size_t n) { return "5," + std::string(n - 2, ' '); }, true),
        grown("sign at the end of input", [](std::size_t n) { return "5e+" + cycle("q", n - 3); }, true),
        grown("sigil at the end of input", [](std::size_t n) { return "@" + cycle("1", n - 1); }, true),
        grown("word at the end of input", [](std::size_t n) { return "ab_" + std::string(n - 3, ' '); }, true),
        grown("digits at the end of input", [=](std::size_t n) { return digits(n); }, true),
    };
    for (const char* fixed :
         {"w2", "i2", "e2", "i2_end", "w2_end", "cti", "pis", "pis_ln", "p2", ".", "(", ")", "%",
          "&", "*", "/", "=", "^", "_", "|", "+", "-", "!", "<", ">", "!=", "<=", ">=", "->", ";",
          "{", "}"}) {
      all.push_back(Kind{fixed, nullptr, fixed, false});
    }
    return all;
  }
};

TEST_F(Sweep, EveryKindAtEveryLengthAndOffsetAroundTheBlockEdge) {
  constexpr std::size_t kReach = 20;  // lengths and offsets reach this far either side
  // The block edge swept across: the first one more than kReach bytes in
  // (room for a ";" before the earliest start).
  const std::size_t edge = (kReach + kSourceBlockSize) / kSourceBlockSize * kSourceBlockSize;
  const std::string after = ";x\n";  // ends the construct, then a word on a new line
  // The interpreter reads `edge + offset` blanks and then the construct, from
  // one buffer (blanks, then room for the construct).
  std::string buffer(edge + kReach, ' ');
  std::size_t combinations = 0;
  for (const Kind& kind : kinds()) {
    std::size_t lengths = kind.make ? 2 * kReach + 1 : 1;
    for (std::size_t i = 0; i < lengths; ++i) {
      const std::string construct = kind.make ? kind.make(kTextLimitForTests - kReach + i) : kind.fixed;
      const std::string rest = construct + (kind.atEnd ? "" : after);
      buffer.resize(edge + kReach);
      buffer += rest;
      for (std::size_t shift = 0; shift <= 2 * kReach; ++shift) {  // offset shift - kReach
        for (bool semicolon : {false, true}) {
          // (After a ";" the construct's first character is the pushed-back
          // look-ahead; that depends on its start alone: one length will do.)
          if (semicolon && kind.make && i != lengths - 1) continue;
          ++combinations;
          const std::string blanks(shift, ' ');
          const std::string prefix = semicolon ? blanks + ";" : blanks;
          const std::string shortSource = prefix + rest;
          const std::vector<ReferencePiece> expected = referencePieces(shortSource);
          std::vector<ReferencePiece> tokens;
          for (const ReferencePiece& piece : expected) {
            if (isDelivered(piece.type)) tokens.push_back(piece);
          }
          tokens.push_back(tokens.back());  // end of input again
          auto where = [&] {
            return kind.name + ", length " + std::to_string(construct.size()) + ", offset " +
                   std::to_string(static_cast<long>(shift) - static_cast<long>(kReach)) +
                   (semicolon ? ", after \";\"" : "");
          };
          // The interpreter's scanner, with the construct at edge + offset.
          buffer[edge + kReach - 1] = semicolon ? ';' : ' ';
          const std::size_t from = 2 * kReach - shift;  // the construct at edge + shift - kReach
          reset();
          f = fmemopen(buffer.data() + from, buffer.size() - from, "r");
          ASSERT_NE(f, nullptr);
          bool same = true;
          for (const ReferencePiece& token : tokens) {
            Lex();
            const Token& got = *token_buffer;
            same = got.text.data() == token.text && got.tokenClass == token.type &&
                   cislo_radku == token.line && got.length == token.text.size() &&
                   got.text[got.length] == '\0';
            if (!same) {
              ADD_FAILURE() << where() << ": token \"" << got.text.data() << "\" class "
                            << got.tokenClass << " line " << cislo_radku << " length "
                            << got.length << ", expected \"" << token.text << "\" class "
                            << token.type << " line " << token.line;
              break;
            }
          }
          std::fclose(f);
          f = nullptr;
          if (!same) return;
          // listSource on the short source.
          const std::vector<ScanPiece> pieces = listSource(shortSource.data(), shortSource.size());
          bool listed = pieces.size() == expected.size();
          for (std::size_t k = 0; listed && k < pieces.size(); ++k) {
            listed = pieces[k].start == expected[k].start && pieces[k].end == expected[k].end &&
                     pieces[k].type == expected[k].type;
          }
          if (!listed) {
            ADD_FAILURE() << where() << ": listSource gives " << describe(pieces)
                          << ", expected " << describe(expected);
            return;
          }
        }
      }
    }
  }
  std::cout << "[ sweep    ] " << combinations
            << " combinations of kind, length and offset compared (block size "
            << kSourceBlockSize << ")\n";
}

// listSource on the source of every golden case: the pieces cover the text
// once, in order, end with the end-of-input token, and are the state table's.
TEST_F(Lexer, ListsTheGoldenCaseSourcesAsTheStateTableReadsThem) {
  std::size_t sources = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(M4T4_CASES_DIR)) {
    if (entry.path().extension() != ".m4t") continue;
    ++sources;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::vector<ScanPiece> pieces = listSource(text.data(), text.size());
    const std::vector<ReferencePiece> expected = referencePieces(text);
    ASSERT_FALSE(pieces.empty()) << entry.path();
    std::size_t at = 0;
    for (const ScanPiece& piece : pieces) {
      ASSERT_EQ(piece.start, at) << entry.path();
      ASSERT_LE(piece.start, piece.end) << entry.path();
      at = piece.end;
    }
    EXPECT_EQ(pieces.back().start, text.size()) << entry.path();
    EXPECT_EQ(pieces.back().end, text.size()) << entry.path();
    EXPECT_EQ(pieces.back().type, kEnd) << entry.path();
    EXPECT_EQ(describe(pieces), describe(expected)) << entry.path();
  }
  EXPECT_GT(sources, 100u);
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
