// The lister run in-process on generated sources: length limits, binary input
// and streams in error.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "lexer.h"

namespace {

struct Listing {
  int status;
  std::string output;
};

Listing listSource(const std::string& source) {
  std::FILE* in = std::tmpfile();
  std::fwrite(source.data(), 1, source.size(), in);
  std::rewind(in);
  testing::internal::CaptureStdout();
  const int status = vexa::listTokens(in);
  std::fflush(stdout);
  Listing result{status, testing::internal::GetCapturedStdout()};
  std::fclose(in);
  return result;
}

const std::string kLongest(vexa::kMaxTokenLength, 'a');

TEST(Scanner, TokenOfTheMaximumLengthListsWhateverEndsIt) {
  for (const char* end : {" ", ";", "\n"}) {
    const Listing l = listSource(kLongest + end);
    EXPECT_EQ(l.status, 0) << "ended by " << end;
    EXPECT_EQ(l.output.substr(0, 16), "[identifikator] ");
    EXPECT_EQ(l.output.find('a' + std::string(1, '\n')), 16 + kLongest.size() - 1);
  }
}

TEST(Scanner, OneCharacterMoreIsTooLong) {
  EXPECT_EQ(listSource(std::string(1000000, 'z')).output, "moc dlouhy slovo\n");
  EXPECT_EQ(listSource("x " + kLongest + "a ").output, "[identifikator] x\nmoc dlouhy slovo\n");
  EXPECT_EQ(listSource(kLongest + "a ").status, 1);
}

TEST(Scanner, QuotesOfAStringDoNotCountTowardsItsLength) {
  const Listing l = listSource('"' + kLongest + "\";");
  EXPECT_EQ(l.status, 0);
  EXPECT_EQ(l.output, "[retezec] " + kLongest + "\n;\n\n");
}

TEST(Scanner, CommentsAndBlanksOfAnyLengthAreNotCollected) {
  const std::string comment = "[[" + std::string(200000, 'c') + "]]";
  const std::string blanks(200000, ' ');
  const Listing l = listSource(comment + blanks + "[>" + std::string(200000, 'x') + "\nz;");
  EXPECT_EQ(l.status, 0);
  EXPECT_EQ(l.output, "[identifikator] z\n;\n\n");
}

TEST(Scanner, EveryStateEndedByEndOfInputReturnsTheKeptTextUnlabelled) {
  const std::pair<const char*, const char*> cases[] = {
      {"12.", "12."}, {"12.5", "12.5"}, {"-", "-"},    {"$", ""},       {"$ab", "ab"},
      {"a_", "a_"},   {"[", ""},        {"[>x", ""},   {"[[x", ""},     {"[[x]", ""},
      {"&", "&"},     {"|", "|"},       {":", ":"},    {"<", "<"},      {">", ">"},
      {"\"ab", "ab"}, {"\"a\\", "a"}, {"\"\"", ""}, {"{", "{"}};
  for (const auto& [source, text] : cases) {
    const Listing l = listSource(source);
    EXPECT_EQ(l.status, 0) << source;
    EXPECT_EQ(l.output, std::string(text) + "\n\n") << source;
  }
}

TEST(Scanner, BinaryGarbageEndsNormallyOrAsMalformed) {
  std::mt19937 random(12345);
  for (int run = 0; run < 200; ++run) {
    std::string garbage(4096, '\0');
    for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
    const Listing l = listSource(garbage);
    EXPECT_TRUE(l.status == 0 || l.status == vexa::kStatusMalformed) << "status " << l.status;
  }
}

TEST(Scanner, StreamThatCannotBeReadEndsLikeAMissingFile) {
  std::FILE* unreadable = std::tmpfile();
  std::FILE* writeOnly = std::fopen("/dev/null", "w");
  ASSERT_NE(writeOnly, nullptr);
  testing::internal::CaptureStdout();
  const int status = vexa::listTokens(writeOnly);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Soubor neexistuje\n");
  EXPECT_EQ(status, vexa::kStatusError);
  std::fclose(writeOnly);
  std::fclose(unreadable);
}

}  // namespace

namespace {

TEST(Scanner, AssignmentSignAcrossTwoReadBlocksIsOneToken) {
  // The `:` is the last byte of the first block read, the `=` the first of the second.
  const std::string blanks(vexa::kInputCapacity - 1, ' ');
  EXPECT_EQ(listSource(blanks + ":= x").output, "[prirad] :=\nx\n\n");
  // In a string the pair makes the class kAssignment too.
  EXPECT_EQ(listSource(blanks.substr(2) + "\"a:=b\" ").output, "[prirad] a:=b\n\n\n");
}

}  // namespace
