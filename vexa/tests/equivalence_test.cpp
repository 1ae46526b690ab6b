// The block-reading, table-driven lister against a lister written rule by
// rule: one transition() per byte, the text built by appending and removing,
// the class rules applied in their order. Random token soup, small and large
// (tokens across the read blocks, a listing of several output blocks).
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "lexer.h"

namespace {

using namespace vexa;

struct Listing {
  int status;
  std::string output;
};

bool removedAfter(State from, State to, int c, bool ended) {
  switch (to) {
    case qS: case qS2: case qC1: case qC2: case qC3: case qC4: return true;
    case qS1: return from == qS;  // the opening quote only; an escaped one is kept
    case qV1: return c == '$';
    case qF: return !ended && (c == '"' || c == '$');
    default: return false;
  }
}

int classAfter(State s, int c, int current) {
  switch (s) {
    case qS1: case qS2: return kString;
    case qD2: case qD1D3F: case qD1F: case qD2F: return kNumber;
    case qV1: case qV2: return kVariable;
    case qR1: case qR1F: return kIdentifier;
    case qO1: case qO2: case qO3: case qO3O4F: case qO3F: return kOperator;
    case qF:
      if (c == ';') return kTerminator;
      if (c == '{' || c == '}') return kBlock;
      if (std::string("!%()*/=^").find(static_cast<char>(c)) != std::string::npos) return kOperator;
      return current;
    default: return current;
  }
}

Listing referenceListing(const std::string& source) {
  std::string out;
  std::size_t pos = 0;
  int type = kNumber;
  bool atEnd = false;
  while (!atEnd) {
    State state = qS;
    std::string text;
    int previous = -1;
    for (;;) {
      if (pos == source.size()) {
        atEnd = true;
        break;
      }
      const int c = static_cast<unsigned char>(source[pos++]);
      text.push_back(static_cast<char>(c));
      const Move move = transition(state, c);
      if (move.kind == Move::kMalformed) return {kStatusMalformed, out};
      const bool ended = move.kind == Move::kDone;
      const State from = state;
      state = move.next;
      if (removedAfter(from, state, c, ended)) text.pop_back();
      if (text.size() > static_cast<std::size_t>(kMaxTokenLength) + (ended ? 1 : 0))
        return {kStatusError, out + "moc dlouhy slovo\n"};
      if (from == qS && state == qS1) type = kString;
      if (text.size() == 1 && !ended) type = classAfter(state, c, type);
      if (ended && state == qD1F) type = kOperator;
      if (c == '=' && previous == ':') type = kAssignment;
      previous = c;
      if (ended) {
        --pos;
        text.pop_back();
        out += std::string("[") + TYPY_TOKENU[type] + "] ";
        break;
      }
    }
    out += text.c_str();  // printed up to a NUL
    out += '\n';
  }
  return {0, out + "\n"};
}

Listing tableListing(const std::string& source) {
  std::FILE* in = std::tmpfile();
  std::fwrite(source.data(), 1, source.size(), in);
  std::rewind(in);
  testing::internal::CaptureStdout();
  const int status = listTokens(in);
  Listing result{status, testing::internal::GetCapturedStdout()};
  std::fclose(in);
  return result;
}

// Pieces of vexa text, mostly well formed, sometimes not, with stray bytes.
std::string tokenSoup(std::mt19937& random, std::size_t size) {
  static const char* const kPieces[] = {
      "abc", "x_1", "a__b", "_", "12", "-3", "+", "-", "4.25", "7.", ".", "$v$", "$a_1$", "$",
      "\"s\"", "\"a\\\"b\"", "\"\"", "\":=\"", "\\", "[> c\n", "[[ c ] ] x]]", "[[ ]#]", "[",
      "&&", "&", "||", "|", ":=", ":", "<", "<=", "<>", ">", ">=", "=", "!", "%", "(", ")",
      "*", "/", "^", ";", "{", "}", " ", " ", "\n", "\t", "\r", "#", "~", "\x80", "\xff", "@"};
  std::string soup;
  while (soup.size() < size) {
    if (random() % 50 == 0) {
      soup.push_back(static_cast<char>(random() & 0xFF));
    } else {
      soup += kPieces[random() % std::size(kPieces)];
    }
  }
  return soup;
}

TEST(Equivalence, RandomSmallSourcesListAsTheRuleByRuleLister) {
  std::mt19937 random(2024);
  for (int run = 0; run < 3000; ++run) {
    const std::string source = tokenSoup(random, random() % 60);
    const Listing expected = referenceListing(source);
    const Listing actual = tableListing(source);
    ASSERT_EQ(actual.status, expected.status) << source;
    ASSERT_EQ(actual.output, expected.output) << source;
  }
}

TEST(Equivalence, WellFormedSourceOfManyBlocksListsAsTheRuleByRuleLister) {
  // Without the malformed pieces the whole source is listed: about 3 MB of
  // input, tokens across every read block, a listing of many output blocks.
  std::mt19937 random(7);
  std::string source;
  static const char* const kPieces[] = {"abc ", "x_1\n", "-3 ", "4.25;", "$v$ ", "\"s\\\"t\" ",
                                         "[> c\n", "[[ a:=b ]]", "<> ", ":= ", "{", "}", "%"};
  while (source.size() < 3000000) source += kPieces[random() % std::size(kPieces)];
  source += std::string(static_cast<std::size_t>(kMaxTokenLength), 'q');  // the maximum length
  source += " end";
  const Listing expected = referenceListing(source);
  ASSERT_EQ(expected.status, 0);
  const Listing actual = tableListing(source);
  EXPECT_EQ(actual.status, 0);
  EXPECT_TRUE(actual.output == expected.output) << actual.output.size() << " bytes, expected "
                                                << expected.output.size();
}

}  // namespace
