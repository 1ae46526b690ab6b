// The scanner against a reference scanner written here from the token rules,
// one character at a time: every token class at every length from 235 to
// 275 characters, each starting at every offset from -20 to +20 around the
// end of a source block, compared token by token (text, class, line) and,
// through the source listing, piece by piece (start, end, class). The same
// reference checks the listing of every golden-case source.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "listing.h"
#include "procedures.h"

namespace plimbo {
namespace {

// A delivered token as the grammar sees it.
struct Delivered {
  std::string text;
  std::int32_t type;
  std::int64_t line;  // lineNo once the token is delivered
  bool operator==(const Delivered&) const = default;
};

struct Piece {
  std::size_t start, end;
  std::int32_t type;
  bool operator==(const Piece&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Delivered& token) {
  return out << "{\"" << token.text.substr(0, 40) << (token.text.size() > 40 ? "..." : "") << "\" ("
             << token.text.size() << "), class " << token.type << ", line " << token.line << "}";
}
std::ostream& operator<<(std::ostream& out, const Piece& piece) {
  return out << "{" << piece.start << "-" << piece.end << ", class " << piece.type << "}";
}

struct Scan {
  std::vector<Delivered> tokens;
  std::vector<Piece> pieces;
};

// The reference: the token rules read as plainly as they are written.
// Characters are looked at with peek and taken with take; a token's text
// keeps its first 255 characters, and a NUL byte ends the text of a string
// (or of a NUL read alone). Every token but a character that begins none is
// delivered with the character after it read, so its line counts a line
// break right after it; a character that begins no token is delivered
// alone, the character after it unread. End of input inside a string or a
// comment ends it there.
class Reference {
 public:
  // Scans text from offset from, where the line is line, to the end of input.
  Reference(const std::string& text, std::size_t from, std::int64_t line) : s_(text), at_(from), line_(line) {}

  Scan run() {
    Scan scan;
    for (;;) {
      const std::size_t start = at_;
      const std::int32_t type = piece();
      scan.pieces.push_back({start, at_, type});
      if (type == kWhiteSpace || type == kComment) continue;
      // The line once the character after the token has been read.
      std::int64_t line = line_;
      if (type != kBadCharacter && at_ < s_.size() && s_[at_] == '\n') ++line;
      std::string text = text_.substr(0, 255);
      if (type == kString || type == kBadCharacter) text = text.c_str();
      scan.tokens.push_back({text, type, line});
      if (type == kEndOfInput) return scan;
    }
  }

 private:
  static constexpr int kEnd = -1;
  static bool digit(int c) { return c >= '0' && c <= '9'; }
  static bool capital(int c) { return c >= 'A' && c <= 'Z'; }
  static bool nameCharacter(int c) { return digit(c) || (c >= 'a' && c <= 'z') || c == '_'; }
  static bool space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

  int peek() const { return at_ < s_.size() ? static_cast<unsigned char>(s_[at_]) : kEnd; }
  int take() {
    const int c = peek();
    if (c == kEnd) return c;
    ++at_;
    if (c == '\n') ++line_;
    return c;
  }
  void append(int c) { text_ += static_cast<char>(c); }
  void appendTaken() { append(take()); }

  // Reads one piece; returns its class.
  std::int32_t piece() {
    text_.clear();
    const int c = peek();
    if (c == kEnd) {
      append(0xFF);
      return kEndOfInput;
    }
    appendTaken();
    switch (c) {
      case '+': case '-': return number(kOperator);
      case ',': return fraction();
      case '<': case '>': case '!': return relation();
      case '"': text_.clear(); return string();
      case '$': return name(kVariable);
      case '#': return name(kCallName);
      case '@': return name(kDeclarationName);
      case '{': case '}': return kBrace;
      case '/': return slash();
      case ';': return kSemicolon;
      case '=': case '(': case '*': case ')': case '%': case '&': case '|': return kOperator;
      default: break;
    }
    if (digit(c)) return number(kNumber);
    if (capital(c)) {
      while (capital(peek())) appendTaken();
      return kKeyword;
    }
    if (space(c)) return kWhiteSpace;
    return kBadCharacter;
  }
  std::int32_t number(std::int32_t type) {
    while (digit(peek())) {
      appendTaken();
      type = kNumber;
    }
    return peek() == ',' ? (appendTaken(), fraction()) : type;
  }
  std::int32_t fraction() {
    while (digit(peek())) appendTaken();
    return kNumber;
  }
  std::int32_t relation() {
    if (peek() == ':') return appendTaken(), kAssignment;
    if (peek() == '=') appendTaken();
    return kOperator;
  }
  std::int32_t name(std::int32_t type) {
    while (nameCharacter(peek())) appendTaken();
    return type;
  }
  std::int32_t string() {
    for (;;) {
      const int c = take();
      if (c == kEnd || c == '"') return kString;
      append(c);
      if (c == '\\') {
        if (peek() == kEnd) return kString;
        appendTaken();
      }
    }
  }
  std::int32_t slash() {
    if (peek() == '/') {
      for (int c = take(); c != '\n' && c != kEnd;) c = take();
      return kComment;
    }
    if (peek() != '*') return kOperator;
    take();
    // In the block comment: a star may begin its end; after a star, a
    // slash ends it and anything else, a star too, is comment text again.
    for (bool star = false;;) {
      const int c = take();
      if (c == kEnd || (star && c == '/')) return kComment;
      star = !star && c == '*';
    }
  }

  const std::string& s_;
  std::size_t at_;
  std::int64_t line_;
  std::string text_;
};

// What the interpreter's scanner delivers for text, token by token until
// end of input.
std::vector<Delivered> scanned(std::string& text) {
  reset();
  std::FILE* stream = fmemopen(text.data(), text.size(), "r");
  f = stream;
  std::vector<Delivered> tokens;
  do {
    lex();
    tokens.push_back({tok_n->text.data(), tok_n->type, lineNo});
  } while (tok_n->type != kEndOfInput && tokens.size() < 100);
  reset();
  std::fclose(stream);
  return tokens;
}

std::vector<Piece> listed(const std::string& text) {
  std::vector<Piece> pieces;
  for (const ScanPiece& piece : listSource(text.data(), text.size())) pieces.push_back({piece.start, piece.end, piece.type});
  return pieces;
}

// length characters of pattern, repeated.
std::string cycle(const std::string& pattern, std::size_t length) {
  std::string text;
  while (text.size() < length) text += pattern[text.size() % pattern.size()];
  return text;
}

// String contents of length characters with escaped quotes and backslashes
// and line breaks, never ending in a lone backslash.
std::string stringContent(std::size_t length) {
  std::string text;
  while (text.size() < length) {
    const std::size_t left = length - text.size();
    if (text.size() % 9 == 4 && left >= 2)
      text += "\\\"";
    else if (text.size() % 9 == 7 && left >= 2)
      text += "\\\\";
    else
      text += text.size() % 50 == 25 ? '\n' : static_cast<char>('a' + text.size() % 26);
  }
  return text;
}

// Block comment text of length characters with stars and line breaks, and
// "**/", which does not end it; it never ends in a star.
std::string commentContent(std::size_t length) {
  std::string text = cycle("a*b\nc**/d*", length);
  if (!text.empty() && text.back() == '*') text.back() = 'e';
  return text;
}

// A token class swept by length: the source text of a token whose text (a
// string's between its quotes) or, for a comment, whose whole text is
// length characters long.
struct LengthClass {
  const char* name;
  std::string (*make)(std::size_t length);
};

const LengthClass kLengthClasses[] = {
    {"number", [](std::size_t n) { return cycle("1234567890", n); }},
    {"number with a comma 17 from its end", [](std::size_t n) { return cycle("98765", n - 18) + "," + cycle("12", 17); }},
    {"number starting with a comma", [](std::size_t n) { return std::string(",").append(cycle("0123456789", n - 1)); }},
    {"number ending with a comma", [](std::size_t n) { return cycle("7", n - 1) + ","; }},
    {"signed number", [](std::size_t n) { return std::string("-").append(cycle("31", n - 1)); }},
    {"signed number with a comma", [](std::size_t n) { return std::string("+,").append(cycle("5", n - 2)); }},
    {"variable", [](std::size_t n) { return std::string("$").append(cycle("ab_09z", n - 1)); }},
    {"call name", [](std::size_t n) { return std::string("#").append(cycle("f_1", n - 1)); }},
    {"declaration name", [](std::size_t n) { return std::string("@").append(cycle("g2", n - 1)); }},
    {"keyword", [](std::size_t n) { return cycle("ABCDEFGHIJKLMNOPQRSTUVWXYZ", n); }},
    {"string with escapes", [](std::size_t n) { return std::string("\"").append(stringContent(n)).append("\""); }},
    {"line comment", [](std::size_t n) { return std::string("//").append(cycle("x/*y", n - 3)).append("\n"); }},
    {"block comment", [](std::size_t n) { return std::string("/*").append(commentContent(n - 4)).append("*/"); }},
    {"string cut by end of input", [](std::size_t n) { return std::string("\"").append(stringContent(n)); }},
    {"block comment cut by end of input", [](std::size_t n) { return std::string("/*").append(commentContent(n - 2)); }},
    {"line comment cut by end of input", [](std::size_t n) { return std::string("//").append(cycle("z", n - 2)); }},
};
// The classes above that run to the end of input: nothing follows them.
bool runsToTheEnd(const LengthClass& tokenClass) { return std::string(tokenClass.name).ends_with("end of input"); }

// Tokens of fixed length, swept by offset only: every operator and
// assignment sign, and characters that begin no token.
const char* const kFixedTokens[] = {"+",  "-",  "<",  ">",  "!",  "<=", ">=", "!=", "/",  "=",  "(",  ")",
                                    "*",  "%",  "&",  "|",  "<:", ">:", "!:", "{",  "}",  ";",  "+,", "-,",
                                    "?",  ".",  "a",  "\x80", "\xff"};

// The block edge the tokens are placed around: the first at or after 23
// bytes (room for the filler at offset -20).
constexpr std::size_t kEdge = (23 + kSourceBlockSize - 1) / kSourceBlockSize * kSourceBlockSize;
constexpr int kReach = 20;

class Sweep : public ::testing::Test {
 protected:
  void TearDown() override { reset(); }

  // Compares scanner and listing with the reference on token placed at the
  // edge plus offset, after a line comment, and followed by tail. Stops
  // reporting after a few failures.
  void check(const std::string& what, const std::string& token, int offset, const std::string& tail) {
    ++combinations_;
    const std::size_t fill = kEdge + static_cast<std::size_t>(offset);
    // One buffer for every source: its memory is not handed back and forth.
    std::string& text = text_;
    text.assign("//").append(fill - 3, 'x').append("\n").append(token).append(tail);
    Scan expected = Reference(text, fill, 2).run();
    expected.pieces.insert(expected.pieces.begin(), Piece{0, fill, kComment});
    const std::vector<Delivered> tokens = scanned(text);
    const std::vector<Piece> pieces = listed(text);
    if (tokens == expected.tokens && pieces == expected.pieces) return;
    if (++failures_ > 5) return;
    ADD_FAILURE() << what << ", offset " << offset << ":\n"
                  << ::testing::PrintToString(tokens) << "\nexpected\n"
                  << ::testing::PrintToString(expected.tokens) << "\npieces\n"
                  << ::testing::PrintToString(pieces) << "\nexpected\n"
                  << ::testing::PrintToString(expected.pieces);
  }

  std::string text_;
  int combinations_ = 0;
  int failures_ = 0;
};

TEST_F(Sweep, EveryTokenClassAtEveryLengthAndOffsetAroundABlockEdge) {
  for (const LengthClass& tokenClass : kLengthClasses) {
    for (std::size_t length = 255 - kReach; length <= 255 + kReach; ++length) {
      const std::string token = tokenClass.make(length);
      for (int offset = -kReach; offset <= kReach; ++offset)
        check(std::string(tokenClass.name) + " of " + std::to_string(length), token, offset,
              runsToTheEnd(tokenClass) ? "" : "\n;");
    }
  }
  for (const char* token : kFixedTokens) {
    for (int offset = -kReach; offset <= kReach; ++offset) check(std::string("\"") + token + "\"", token, offset, " 1\n;");
  }
  // 16 classes by 41 lengths by 41 offsets, and 29 tokens by 41 offsets.
  EXPECT_EQ(combinations_, 16 * 41 * 41 + 29 * 41);
}

// A NUL byte read alone and inside a string, where the text ends.
TEST_F(Sweep, NulBytesAroundABlockEdge) {
  const std::string nul(1, '\0');
  for (int offset = -kReach; offset <= kReach; ++offset) {
    check("NUL alone", nul, offset, " 1\n;");
    check("string with a NUL", "\"ab" + nul + "cd\"", offset, "\n;");
  }
}

// The listing of every golden-case source, against the reference scanning
// it whole; the pieces cover the text, each byte once.
TEST(Listing, GoldenCaseSourcesArePiecedAsTheReferenceScansThem) {
  int sources = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(PLIMBO_CASES_DIR)) {
    if (entry.path().extension() != ".plb") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<Piece> pieces = listed(text);
    EXPECT_EQ(pieces, Reference(text, 0, 1).run().pieces) << entry.path();
    std::size_t at = 0;
    for (const Piece& piece : pieces) {
      EXPECT_EQ(piece.start, at) << entry.path();
      at = piece.end;
    }
    EXPECT_EQ(at, text.size()) << entry.path();
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces.back(), (Piece{text.size(), text.size(), kEndOfInput})) << entry.path();
    ++sources;
  }
  EXPECT_GT(sources, 100);
}

TEST(Listing, EmptyTextIsTheEndOfInputAlone) {
  EXPECT_EQ(listed(""), (std::vector<Piece>{{0, 0, kEndOfInput}}));
}

}  // namespace
}  // namespace plimbo
