// Unit tests of the lexer, the stores and the recorder, and of running
// programs in-process through interpret().
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "procedures.h"

namespace plimbo {
namespace {

// A stream holding text, read from its start.
std::FILE* streamOf(const std::string& text) {
  std::FILE* stream = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), stream);
  std::rewind(stream);
  return stream;
}

class Plimbo : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override {
    reset();
    for (std::FILE* stream : streams_) std::fclose(stream);
  }

  // Points the lexer at source.
  void scan(const std::string& source) {
    streams_.push_back(streamOf(source));
    f = streams_.back();
  }

  std::pair<std::string, int> next() {
    lex();
    return {tok_n.text.data(), tok_n.type};
  }

  std::string run(const std::string& source, const std::string& input = "") {
    streams_.push_back(streamOf(source));
    streams_.push_back(streamOf(input));
    testing::internal::CaptureStdout();
    interpret(streams_[streams_.size() - 2], streams_.back());
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
  }

  std::vector<std::FILE*> streams_;
};

const std::string kEnd(1, kEndOfInputText);
const std::string kOk = "\nGame over, uspesne dokonceno!!!\n";

TEST_F(Plimbo, ScansEveryTokenClassAndRepeatsEndOfInput) {
  scan("{ $a <: 3,5; VRACEE ($a); } ZDECHNI\n");
  std::vector<std::pair<std::string, int>> expected = {
      {"{", 5},  {"$a", 4}, {"<:", 3}, {"3,5", 1}, {";", 11},      {"VRACEE", 8}, {"(", 12},
      {"$a", 4}, {")", 12}, {";", 11}, {"}", 5},   {"ZDECHNI", 8}, {kEnd, 13},    {kEnd, 13}};
  for (const auto& token : expected) EXPECT_EQ(next(), token);
  EXPECT_EQ(lineNo, 2);
  EXPECT_EQ(LAError, 0);
}

TEST_F(Plimbo, ScansSignsNamesAndOperators) {
  scan("$a-5 - +, ,3 #f_1 @g2 \"s\" <= >= != !: >: ! % & | * / = ESLI1");
  std::vector<std::pair<std::string, int>> expected = {
      {"$a", 4}, {"-5", 1},  {"-", 12},  {"+,", 1}, {",3", 1}, {"#f_1", 6}, {"@g2", 7},
      {"s", 2},  {"<=", 12}, {">=", 12}, {"!=", 12}, {"!:", 3}, {">:", 3},  {"!", 12},
      {"%", 12}, {"&", 12},  {"|", 12},  {"*", 12}, {"/", 12}, {"=", 12},  {"ESLI", 8},
      {"1", 1}};
  for (const auto& token : expected) EXPECT_EQ(next(), token);
}

TEST_F(Plimbo, BadCharacterIsDeliveredAloneAndScanningGoesOn) {
  scan("$Ab;\n?\n");
  EXPECT_EQ(next(), std::make_pair(std::string("$"), 4));
  EXPECT_EQ(next(), std::make_pair(std::string("A"), 8));
  EXPECT_EQ(next(), std::make_pair(std::string("b"), 0));
  EXPECT_EQ(LAError, 1);
  EXPECT_EQ(next(), std::make_pair(std::string(";"), 11));
  EXPECT_EQ(next(), std::make_pair(std::string("?"), 0));
  EXPECT_EQ(lineNo, 2);  // nothing read after the bad character
  EXPECT_EQ(next(), std::make_pair(kEnd, 13));
}

TEST_F(Plimbo, LongTokenKeepsItsFirst255Characters) {
  scan("$" + std::string(400, 'x') + " ;");
  auto token = next();
  EXPECT_EQ(token.first, "$" + std::string(254, 'x'));
  EXPECT_EQ(next().first, ";");
}

TEST_F(Plimbo, CommentsAndUnterminatedTexts) {
  scan("/* a **/ b */ // x\n\"open");
  EXPECT_EQ(next(), std::make_pair(std::string("open"), 2));
  EXPECT_EQ(lineNo, 2);
  EXPECT_EQ(next(), std::make_pair(kEnd, 13));
}

TEST_F(Plimbo, NumberTestLooksAtTheFirstCharactersOnly) {
  for (const char* text : {"5", "-5", "+,5", ",5", "7abc", "+5x", "0"}) EXPECT_EQ(MyIsdigit(text), 1) << text;
  for (const char* text : {"", "-", ",", "abc", "-a", "+,", ",,5", " 5", "inf"}) EXPECT_EQ(MyIsdigit(text), 0) << text;
}

TEST_F(Plimbo, SuppressedEffectsLeaveTheStoresAlone) {
  copy_text(STAcces, "$known");
  SymbolRecord* known = ST_insert();
  ASSERT_NE(known, nullptr);
  if_flag = 0;
  copy_text(STAcces, "$unknown");
  EXPECT_EQ(ST_insert(), nullptr);
  EXPECT_EQ(symbolIndex.size(), 1u);
  copy_text(STAcces, "$known");
  EXPECT_EQ(ST_insert(), known);
  ST_getValue();
  EXPECT_STREQ(STAcces.data(), "$known");
  copy_text(PDAcces, "kept");
  PD_push();
  EXPECT_EQ(Pushdown_root, nullptr);
  PD_pop();
  EXPECT_STREQ(PDAcces.data(), "kept");
}

TEST_F(Plimbo, StoresReadUnknownNamesAndPopInReverseOrder) {
  copy_text(STAcces, "$new");
  ST_getValue();
  EXPECT_STREQ(STAcces.data(), "not defined value");
  EXPECT_EQ(symbolIndex.size(), 1u);
  for (const char* value : {"x", "y"}) {
    copy_text(PDAcces, value);
    PD_push();
  }
  PD_pop();
  EXPECT_STREQ(PDAcces.data(), "y");
  PD_pop();
  EXPECT_STREQ(PDAcces.data(), "x");
  PD_pop();
  EXPECT_STREQ(PDAcces.data(), "");
}

TEST_F(Plimbo, RecorderWrapsReadPositionsAroundItsLists) {
  WH_PD_addLevel();
  LAMode = kRecordCondition;
  scan("1 ) { } FINISH");
  next();
  next();
  LAMode = kRecordBody;
  next();
  next();
  next();
  WH_ResetReadAts();
  LAMode = kReplayBody;
  std::vector<std::string> replayed;
  for (int i = 0; i < 4; ++i) replayed.push_back(next().first);
  EXPECT_EQ(replayed, (std::vector<std::string>{"{", "}", "FINISH", "{"}));
  LAMode = kReplayCondition;
  EXPECT_EQ(next().first, "1");
  EXPECT_EQ(next().first, ")");
  EXPECT_EQ(next().first, "1");
  WH_PD_free();
  EXPECT_EQ(While_PD, nullptr);
}

TEST_F(Plimbo, RunsReuseNothingFromEarlierRuns) {
  EXPECT_EQ(run("{ $a <: 5; DOKAD ($a < 7) { $a <: $a + 1; } FINISH; VRACEE (#g (1; 2)); } ZDECHNI"),
            "2\n" + kOk);
  EXPECT_EQ(run("{ VRACEE ($a); VRACEE (#g ()); } ZDECHNI"), "not defined value\n\n" + kOk);
  EXPECT_EQ(run("{ DOKAD (1) { VRACEE (1 - \"a\"); } FINISH; }"),
            "(overline D)Chyba (1), odcitani retezcu?\n\nNeco se pokazilo...\n");
  EXPECT_EQ(run("{ NASAJ ($w); VRACEE ($w); } ZDECHNI", "input"), "input\n" + kOk);
  EXPECT_EQ(While_PD, nullptr);
  EXPECT_EQ(lineNo, 1);
}

TEST_F(Plimbo, LongNumberTextsAreCutTo254Characters) {
  std::string out = run("{ VRACEE (\"1e300\" * 1); } ZDECHNI");
  std::string line = out.substr(0, out.find('\n'));
  EXPECT_EQ(line.size(), 254u);
  EXPECT_EQ(line.substr(0, 1), "1");
}

TEST_F(Plimbo, StatusReportsFailure) {
  reset();
  testing::internal::CaptureStdout();
  streams_.push_back(streamOf("{ } KONEC"));
  EXPECT_NE(interpret(streams_.back(), nullptr), 0);
  streams_.push_back(streamOf("{ } ZDECHNI"));
  EXPECT_EQ(interpret(streams_.back(), nullptr), 0);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nNeco se pokazilo...\n" + kOk);
}

}  // namespace
}  // namespace plimbo
