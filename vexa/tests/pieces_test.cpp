// listSource: the pieces the lister's automaton reads, for editor grammars.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lexer.h"
#include "listing.h"
#include "reference.h"

namespace {

using reference::Piece;
using namespace vexa;

std::vector<Piece> pieces(const std::string& source) {
  std::vector<Piece> result;
  for (const vexa::ScanPiece& p : vexa::listSource(source.data(), source.size()))
    result.push_back({p.start, p.end, p.type});
  return result;
}

TEST(ListSource, GivesEveryTokenCommentAndBlankWithItsClass) {
  const std::pair<std::string, std::vector<Piece>> cases[] = {
      {"a:=b;", {{0, 1, kIdentifier}, {1, 3, kAssignment}, {3, 4, kIdentifier}, {4, 5, kTerminator}}},
      // A line comment runs to its newline, which it holds.
      {"  x [> c\n{",
       {{0, 2, kBlankPiece}, {2, 3, kIdentifier}, {3, 4, kBlankPiece}, {4, 9, kComment}, {9, 10, kBlock}}},
      // `]`, a neutral character and `]` end a block comment: the last `]` is
      // a stray. Quotes, dollars and escapes belong to their token, though not
      // to its text.
      {"[[a]#]]\"s\\\"\"$v$", {{0, 6, kComment}, {6, 7, kBlankPiece}, {7, 12, kString}, {12, 15, kVariable}}},
      {"+ -1 %\"\";",
       {{0, 1, kOperator}, {1, 2, kBlankPiece}, {2, 4, kNumber}, {4, 5, kBlankPiece}, {5, 6, kOperator},
        {6, 8, kString}, {8, 9, kTerminator}}},
      // Adjacent comments are pieces of their own; stray characters count as blanks.
      {"[>a\n[[b]]#\xc3\xa9\r\n", {{0, 4, kComment}, {4, 9, kComment}, {9, 14, kBlankPiece}}},
      // Cut short by the end of the source: the class of its first byte.
      {"$", {{0, 1, kVariable}}},
      {"[", {{0, 1, kComment}}},
      {"12.", {{0, 3, kNumber}}},
      {"\"ab", {{0, 3, kString}}},
      {"", {}},
  };
  for (const auto& [source, expected] : cases) EXPECT_EQ(pieces(source), expected) << source;
}

TEST(ListSource, EndsWithTheTokenThatStopsTheScan) {
  // Up to and including the byte that breaks it.
  EXPECT_EQ(pieces("x 12.y z"),
            (std::vector<Piece>{{0, 1, kIdentifier}, {1, 2, kBlankPiece}, {2, 6, kStoppedPiece}}));
  EXPECT_EQ(pieces("[x]"), (std::vector<Piece>{{0, 2, kStoppedPiece}}));
  EXPECT_EQ(pieces(";$a b$"), (std::vector<Piece>{{0, 1, kTerminator}, {1, 4, kStoppedPiece}}));
  // Up to the character that would be the 65,536th of its text.
  const std::string tooLong = "a \"" + std::string(65536, 'b') + "\"";
  EXPECT_EQ(pieces(tooLong),
            (std::vector<Piece>{{0, 1, kIdentifier}, {1, 2, kBlankPiece}, {2, 65539, kStoppedPiece}}));
}

TEST(ListSource, LeavesTheListerAsItStarts) {
  vexa::listSource("\"unterminated", 13);
  EXPECT_EQ(vexa::t.type, vexa::kNumber);
  EXPECT_EQ(vexa::stopStatus, 0);
  EXPECT_FALSE(vexa::endOfInput);
  EXPECT_EQ(vexa::outputLength, 0u);
}

// Random token soup against the reference scanner, well formed or not.
TEST(ListSource, RandomSourcesGiveTheReferencePieces) {
  static const char* const kPieces[] = {
      "abc", "x_1", "a__b", "_", "12", "-3", "+", "-", "4.25", "7.", ".", "$v$", "$a_1$", "$",
      "\"s\"", "\"a\\\"b\"", "\"\"", "\":=\"", "\\", "[> c\n", "[[ c ] ] x]]", "[[ ]#]", "[",
      "&&", "&", "||", "|", ":=", ":", "<", "<=", "<>", ">", ">=", "=", "!", "%", "(", ")",
      "*", "/", "^", ";", "{", "}", " ", " ", "\n", "\t", "\r", "#", "~", "\x80", "\xff", "@"};
  std::mt19937 random(99);
  for (int run = 0; run < 5000; ++run) {
    std::string source;
    const std::size_t size = random() % 80;
    while (source.size() < size) {
      if (random() % 40 == 0) {
        source.push_back(static_cast<char>(random() & 0xFF));
      } else {
        source += kPieces[random() % std::size(kPieces)];
      }
    }
    const reference::Result expected = reference::scan(source);
    ASSERT_EQ(pieces(source), expected.pieces) << source;
    // The pieces cover what was read once, in order, from the first byte on.
    std::size_t at = 0;
    for (const Piece& p : expected.pieces) {
      ASSERT_EQ(p.start, at) << source;
      ASSERT_LT(p.start, p.end) << source;
      at = p.end;
    }
    if (expected.status == 0) {
      ASSERT_EQ(at, source.size()) << source;
    }
  }
}

}  // namespace
