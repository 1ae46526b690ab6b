// The block-reading, table-driven lister against the plain scanner of
// reference.h, which applies the rules one byte at a time. Random token
// soup, small and large (tokens across the read blocks, a listing of several
// output blocks).
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "lexer.h"
#include "reference.h"

namespace {

using namespace vexa;

struct Listing {
  int status;
  std::string output;
};

// The reference scanner's listing.
Listing referenceListing(const std::string& source) {
  const reference::Result result = reference::scan(source);
  return {result.status, result.listing};
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
