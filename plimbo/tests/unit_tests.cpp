// Unit tests of the lexer, the stores and the recorder, and of running
// programs in-process through interpret().
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
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

// Allocations through operator new fail once allocationsLeft reaches 0
// (negative: no limit).
long allocationsLeft = -1;

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

  std::pair<std::string, std::int32_t> next() {
    lex();
    return {tok_n->text.data(), tok_n->type};
  }

  // The texts of the next count tokens.
  std::vector<std::string> nextTexts(int count) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) texts.push_back(next().first);
    return texts;
  }

  // A new empty stream for output.
  std::FILE* output() {
    streams_.push_back(std::tmpfile());
    return streams_.back();
  }

  static std::string contentOf(std::FILE* stream) {
    std::string text;
    std::rewind(stream);
    for (int c = std::getc(stream); c != EOF; c = std::getc(stream)) text += static_cast<char>(c);
    return text;
  }

  // Runs source with input on standard input; what it prints. The run may
  // make allocationLimit allocations (negative: any number).
  std::string run(const std::string& source, const std::string& input = "", long allocationLimit = -1) {
    streams_.push_back(streamOf(source));
    std::FILE* program = streams_.back();
    streams_.push_back(streamOf(input));
    std::FILE* words = streams_.back();
    std::FILE* out = output();
    allocationsLeft = allocationLimit;
    status_ = interpret(program, words, out);
    allocationsLeft = -1;
    return contentOf(out);
  }

  // Runs source with 0, 1, 2, ... allocations allowed until it prints
  // success, and returns what the failing runs printed; each of them must
  // end with status 1.
  std::vector<std::string> outputsUnderAllocationLimits(const std::string& source, const std::string& success) {
    std::vector<std::string> failures;
    for (long limit = 0; limit < 200; ++limit) {
      std::string text = run(source, "", limit);
      if (text == success) return failures;
      EXPECT_EQ(status_, 1) << limit;
      failures.push_back(std::move(text));
    }
    ADD_FAILURE() << "never succeeded";
    return failures;
  }

  int status_ = 0;

  std::vector<std::FILE*> streams_;
};

using Tok = std::pair<std::string, std::int32_t>;
using Texts = std::vector<std::string>;

// Puts text into an exchange buffer.
void put(Value& buffer, const char* text) {
  setText(buffer, text, std::strlen(text));
  classify(buffer);
}
const std::string kEnd(1, kEndOfInputText);
const std::string kOk = "\nGame over, uspesne dokonceno!!!\n";

TEST_F(Plimbo, ScansEveryTokenClassAndRepeatsEndOfInput) {
  scan("{ $a <: 3,5; VRACEE ($a); } ZDECHNI\n");
  std::vector<Tok> expected = {
      {"{", kBrace},  {"$a", kVariable}, {"<:", kAssignment}, {"3,5", kNumber}, {";", kSemicolon},      {"VRACEE", kKeyword}, {"(", kOperator},
      {"$a", kVariable}, {")", kOperator}, {";", kSemicolon}, {"}", kBrace},   {"ZDECHNI", kKeyword}, {kEnd, kEndOfInput},    {kEnd, kEndOfInput}};
  for (const auto& token : expected) EXPECT_EQ(next(), token);
  EXPECT_EQ(lineNo, 2);
  EXPECT_EQ(LAError, 0);
}

TEST_F(Plimbo, ScansSignsNamesAndOperators) {
  scan("$a-5 - +, ,3 #f_1 @g2 \"s\" <= >= != !: >: ! % & | * / = ESLI1");
  std::vector<Tok> expected = {
      {"$a", kVariable}, {"-5", kNumber},  {"-", kOperator},  {"+,", kNumber}, {",3", kNumber}, {"#f_1", kCallName}, {"@g2", kDeclarationName},
      {"s", kString},  {"<=", kOperator}, {">=", kOperator}, {"!=", kOperator}, {"!:", kAssignment}, {">:", kAssignment},  {"!", kOperator},
      {"%", kOperator}, {"&", kOperator},  {"|", kOperator},  {"*", kOperator}, {"/", kOperator}, {"=", kOperator},  {"ESLI", kKeyword},
      {"1", kNumber}};
  for (const auto& token : expected) EXPECT_EQ(next(), token);
}

TEST_F(Plimbo, BadCharacterIsDeliveredAloneAndScanningGoesOn) {
  scan("$Ab;\n?\n");
  EXPECT_EQ(next(), Tok(std::string("$"), kVariable));
  EXPECT_EQ(next(), Tok(std::string("A"), kKeyword));
  EXPECT_EQ(next(), Tok(std::string("b"), kBadCharacter));
  EXPECT_EQ(LAError, 1);
  EXPECT_EQ(next(), Tok(std::string(";"), kSemicolon));
  EXPECT_EQ(next(), Tok(std::string("?"), kBadCharacter));
  EXPECT_EQ(lineNo, 2);  // nothing read after the bad character
  EXPECT_EQ(next(), Tok(kEnd, kEndOfInput));
}

TEST_F(Plimbo, LongTokenKeepsItsFirst255Characters) {
  scan(std::string("$").append(400, 'x').append(" ;"));
  auto token = next();
  EXPECT_EQ(token.first, std::string("$").append(254, 'x'));
  EXPECT_EQ(next().first, ";");
}

// A number that reaches 256 characters with a run short enough to be
// copied whole keeps 255, and the next token is scanned as it stands.
TEST_F(Plimbo, ShortRunEndingATokenAt256CharactersIsCut) {
  scan(std::string(238, '1') + "," + std::string(17, '2') + ");");
  EXPECT_EQ(next(), Tok(std::string(238, '1') + "," + std::string(16, '2'), kNumber));
  EXPECT_EQ(nextTexts(2), (Texts{")", ";"}));
}

TEST_F(Plimbo, CommentsAndUnterminatedTexts) {
  scan("/* a **/ b */ // x\n\"open");
  EXPECT_EQ(next(), Tok(std::string("open"), kString));
  EXPECT_EQ(lineNo, 2);
  EXPECT_EQ(next(), Tok(kEnd, kEndOfInput));
}

// The source is read in blocks: every kind of token, and a line break,
// placed so that the end of the first block falls at each of their
// characters in turn.
TEST_F(Plimbo, TokensCrossTheEndOfAReadBlock) {
  const std::string tail = "$name_12 12345,678 -9 KEYWORD \"s\\\"t\" // c\n/* x */ <: ;";
  const std::vector<Tok> expected = {{"$name_12", kVariable}, {"12345,678", kNumber}, {"-9", kNumber},
                                     {"KEYWORD", kKeyword},   {"s\\\"t", kString},     {"<:", kAssignment},
                                     {";", kSemicolon},       {kEnd, kEndOfInput}};
  // The padding fills whole blocks; its last block ends inFirst bytes into the tail.
  const std::size_t blocks = tail.size() / kSourceBlockSize + 1;
  for (std::size_t inFirst = 0; inFirst <= tail.size(); ++inFirst) {
    reset();
    const std::string padding(blocks * kSourceBlockSize - inFirst, '\n');
    scan(padding + tail);
    for (const auto& token : expected) EXPECT_EQ(next(), token) << inFirst;
    EXPECT_EQ(lineNo, static_cast<std::int64_t>(padding.size()) + 2) << inFirst;
  }
}

// A source that NASAJ reads words from too is not read ahead: the word is
// the one right after the ";" that the scanner took to end the ")".
TEST_F(Plimbo, SourceSharedWithTheInputIsReadNoFurtherThanScanned) {
  streams_.push_back(streamOf("{ NASAJ ($x);hello VRACEE ($x); } ZDECHNI"));
  std::FILE* both = streams_.back();
  std::FILE* out = output();
  EXPECT_EQ(interpret(both, both, out), 0);
  EXPECT_EQ(contentOf(out), "hello\n" + kOk);
}

// A source from a pipe: each statement runs as soon as its tokens are in,
// and what it printed is written out before the scanner waits for more. The
// writer sends the rest once it has seen that output, or after 20 s.
TEST_F(Plimbo, SourceFromAPipeRunsAsItArrives) {
  for (const bool nonBlocking : {false, true}) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    if (nonBlocking) ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    streams_.push_back(::fdopen(ends[0], "r"));
    std::FILE* program = streams_.back();
    std::FILE* out = output();
    bool seen = false;
    std::thread writer([&] {
      const auto send = [&](const std::string& text) {
        EXPECT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
      };
      send("{ VRACEE (\"first\"); ");
      for (int wait = 0; wait < 2000 && !seen; ++wait) {
        char text[8] = {};
        seen = ::pread(fileno(out), text, sizeof text, 0) == 6 && std::string(text) == "first\n";
        if (!seen) ::usleep(10000);
      }
      send("VRACEE (\"second\"); } ZDECHNI\n");
      ::close(ends[1]);
    });
    EXPECT_EQ(interpret(program, nullptr, out), 0);
    writer.join();
    EXPECT_TRUE(seen) << "non-blocking: " << nonBlocking;
    EXPECT_EQ(contentOf(out), "first\nsecond\n" + kOk);
  }
}

TEST_F(Plimbo, NumberLiteralsAreReadAsAtofReadsThem) {
  // Up to 15 digits a literal is read exactly; 19 digits round to the
  // nearest double, 1234567890123456768 (a multiple of 256); a trailing comma
  // and leading zeros change nothing.
  EXPECT_EQ(run("{ VRACEE (0012 + 1); VRACEE (999999999999999 + 1); VRACEE (1234567890123456789 + 0); "
                "VRACEE (12, + 1); VRACEE (0012); } ZDECHNI"),
            "13.000000\n1000000000000000.000000\n1234567890123456768.000000\n13.000000\n0012\n" + kOk);
}

TEST_F(Plimbo, NumberTestLooksAtTheFirstCharactersOnly) {
  for (const char* text : {"5", "-5", "+,5", ",5", "7abc", "+5x", "0"}) EXPECT_EQ(MyIsdigit(text), 1) << text;
  for (const char* text : {"", "-", ",", "abc", "-a", "+,", ",,5", " 5", "inf"}) EXPECT_EQ(MyIsdigit(text), 0) << text;
}

TEST_F(Plimbo, SuppressedEffectsLeaveTheStoresAlone) {
  put(STAcces, "$known");
  SymbolRecord* known = ST_insert();
  ASSERT_NE(known, nullptr);
  if_flag = 0;
  put(STAcces, "$unknown");
  EXPECT_EQ(ST_insert(), nullptr);
  EXPECT_EQ(ST_size(), 1u);
  put(STAcces, "$known");
  EXPECT_EQ(ST_insert(), known);
  ST_getValue();
  EXPECT_STREQ(STAcces.text.data(), "$known");
  put(PDAcces, "kept");
  PD_push();
  EXPECT_EQ(Pushdown_root, nullptr);
  PD_pop();
  EXPECT_STREQ(PDAcces.text.data(), "kept");
}

TEST_F(Plimbo, StoresReadUnknownNamesAndPopInReverseOrder) {
  put(STAcces, "$new");
  ST_getValue();
  EXPECT_STREQ(STAcces.text.data(), "not defined value");
  EXPECT_EQ(ST_size(), 1u);
  for (const char* value : {"x", "y"}) {
    put(PDAcces, value);
    PD_push();
  }
  PD_pop();
  EXPECT_STREQ(PDAcces.text.data(), "y");
  PD_pop();
  EXPECT_STREQ(PDAcces.text.data(), "x");
  PD_pop();
  EXPECT_STREQ(PDAcces.text.data(), "");
}

// Room without allocating: as many values as popped records wait for reuse,
// and never past the deepest pushdown.
TEST_F(Plimbo, RoomWithoutAllocatingIsTheSpareRecords) {
  EXPECT_TRUE(PD_hasRoom(0));
  EXPECT_FALSE(PD_hasRoom(1));
  for (const char* value : {"1", "2", "3"}) {
    put(PDAcces, value);
    PD_push();
  }
  PD_drop();
  PD_drop();
  EXPECT_TRUE(PD_hasRoom(2));
  EXPECT_FALSE(PD_hasRoom(3));
  put(PDAcces, "x");
  PD_push();
  EXPECT_FALSE(PD_hasRoom(2));
  PD_pop();
  PD_pop();
  EXPECT_TRUE(PD_hasRoom(3));
  EXPECT_FALSE(PD_hasRoom(4));
  while (PD_depth() < kMaxPushdownDepth) PD_push();
  EXPECT_TRUE(PD_hasRoom(0));
  EXPECT_FALSE(PD_hasRoom(1));
  while (PD_depth() > 0) PD_drop();
  EXPECT_TRUE(PD_hasRoom(kMaxPushdownDepth));
  EXPECT_FALSE(PD_hasRoom(kMaxPushdownDepth + 1));
  PD_free();
  EXPECT_FALSE(PD_hasRoom(1));
}

// Enough variables for the index to grow many times, and names that differ
// only in one character at or around the end of an 8-byte word.
TEST_F(Plimbo, EveryVariableKeepsItsOwnValue) {
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) names.push_back("$v" + std::to_string(i));
  for (std::size_t length = 1; length <= 18; ++length) {
    names.push_back(std::string("$").append(length, 'a'));
    names.push_back(std::string("$").append(length - 1, 'a').append("b"));
  }
  std::string program = "{ ";
  for (std::size_t i = 0; i < names.size(); ++i) program += names[i] + " <: " + std::to_string(i) + "; ";
  std::string expected;
  for (std::size_t i = names.size(); i-- > 0;) {
    program += "VRACEE (" + names[i] + "); ";
    expected += std::to_string(i) + "\n";
  }
  program += "} ZDECHNI";
  EXPECT_EQ(run(program), expected + kOk);
}

// Published SipHash-2-4 values (key 00 01 .. 0f, message 00 01 ..): the
// index's SipHash-1-3 runs the same steps with fewer rounds.
TEST(SipHash, GivesThePublishedValues) {
  const HashKey key{0x0706050403020100u, 0x0f0e0d0c0b0a0908u};
  char message[24] = {};
  for (int i = 0; i < 24; ++i) message[i] = static_cast<char>(i);
  EXPECT_EQ((sipHash<2, 4>(key, message, 0)), 0x726fdb47dd0e0e31u);
  EXPECT_EQ((sipHash<2, 4>(key, message, 1)), 0x74f839c593dc67fdu);
  EXPECT_EQ((sipHash<2, 4>(key, message, 8)), 0x93f5f5799a932462u);
  EXPECT_EQ((sipHash<2, 4>(key, message, 15)), 0xa129ca6149be45e5u);
  // Bytes past the length do not count.
  char longer[24];
  std::memcpy(longer, message, sizeof longer);
  longer[15] = 'x';
  EXPECT_EQ((sipHash<2, 4>(key, longer, 15)), 0xa129ca6149be45e5u);
}

// Names found (by trying names in turn) to share one slot of a 1,024-slot
// index under one key fill one run of slots under that key, and spread
// under another.
TEST_F(Plimbo, NamesCollidingUnderOneKeySpreadUnderAnother) {
  const HashKey process = hashKey();
  const HashKey crafted = {0x0123456789abcdef, 0xfedcba9876543210};
  setHashKey(crafted);
  constexpr std::size_t kNames = 300, kSlots = 1024;  // 256 to 511 names use 1,024 slots
  std::vector<std::string> names;
  for (unsigned i = 0; names.size() < kNames; ++i) {
    std::string name = "$n" + std::to_string(i);
    if ((ST_hash(name.data(), name.size()) & (kSlots - 1)) == 0) names.push_back(name);
  }
  const auto insertAll = [&] {
    for (const std::string& name : names) {
      put(STAcces, name.c_str());
      EXPECT_NE(ST_insert(), nullptr);
    }
    return ST_probeLengths();
  };
  EXPECT_EQ(insertAll().longest, kNames);
  ST_free();
  setHashKey({crafted.k0 + 1, crafted.k1});
  const ProbeLengths spread = insertAll();
  EXPECT_LE(spread.longest, 12u);
  EXPECT_LE(spread.total, 2 * kNames);
  ST_free();
  setHashKey(process);
}

// Under the process's own key, 200,000 names alike but for their last
// characters take about one probe each to find.
TEST_F(Plimbo, ManyNamesTakeFewProbesEach) {
  constexpr std::size_t kNames = 200000;
  char name[16];
  for (std::size_t i = 0; i < kNames; ++i) {
    std::snprintf(name, sizeof name, "$name_%07zu", i);
    put(STAcces, name);
    ASSERT_NE(ST_insert(), nullptr);
  }
  const ProbeLengths lengths = ST_probeLengths();
  EXPECT_LE(lengths.total, 2 * kNames);
  EXPECT_LE(lengths.longest, 64u);
}

TEST_F(Plimbo, TokenAndExchangeBufferFindTheSameRecord) {
  scan("$abcdefgh $abcdefghi");
  lex();
  SymbolRecord* eight = lookUp(*tok_n);
  lex();
  SymbolRecord* nine = lookUp(*tok_n);
  ASSERT_NE(eight, nullptr);
  EXPECT_NE(eight, nine);
  put(STAcces, "$abcdefgh");
  EXPECT_EQ(ST_insert(), eight);
  put(STAcces, "$abcdefghi");
  EXPECT_EQ(ST_insert(), nine);
  EXPECT_EQ(ST_size(), 2u);
}

// An integer result carries its number and writes its text when read; the
// exchange buffers get it written.
TEST_F(Plimbo, ExchangeBuffersHoldWrittenTexts) {
  ASSERT_TRUE(formatNumber(-42, PDAcces));
  PD_push();
  PD_pop();
  EXPECT_STREQ(PDAcces.text.data(), "-42.000000");
  EXPECT_EQ(PDAcces.length, 10u);
  put(STAcces, "$n");
  SymbolRecord* record = ST_insert();
  ASSERT_TRUE(formatNumber(7, STAcces));
  ST_saveValue(record);
  put(STAcces, "$n");
  ST_getValue();
  EXPECT_STREQ(STAcces.text.data(), "7.000000");
  EXPECT_EQ(STAcces.number, 7.0);
}

// A record holds short value texts itself and long ones in a buffer of its
// own; a variable's texts cross that limit both ways and stay whole.
TEST_F(Plimbo, ValuesCrossTheRecordsInlineLimitBothWays) {
  const std::string justShort(kInlineValue - 1, 's');
  const std::string justLong(kInlineValue, 'l');
  const std::string longest(254, 'm');
  const std::string tooLong(300, 'n');
  const std::string program =
      "{ $x <: \"" + justLong + "\"; VRACEE ($x); $x <: \"ab\"; VRACEE ($x); "
      "$x <: \"" + longest + "\"; VRACEE ($x); $x <: 5 + 2; VRACEE ($x); "
      "$x <: \"" + justShort + "\"; VRACEE ($x); $x <: $x + \"t\"; VRACEE ($x); $y <: $x; "
      "$x <: \"" + tooLong + "\"; VRACEE ($x); VRACEE ($y); "
      "$n <: \"000000000000000000000042\"; VRACEE ($n); VRACEE ($n + 1); $n <: $n + 1; VRACEE ($n); } ZDECHNI";
  // 5 + 2 is written "7.000000" when read; the 300 characters are cut to
  // 254; the long text of 24 digits is still the number 42.
  EXPECT_EQ(run(program), justLong + "\nab\n" + longest + "\n7.000000\n" + justShort + "\n" + justShort +
                              "t\n" + std::string(254, 'n') + "\n" + justShort + "t\n" +
                              "000000000000000000000042\n43.000000\n43.000000\n" + kOk);
}

TEST_F(Plimbo, StoredValuesKeepTheirTextNumberAndKind) {
  put(STAcces, "$v");
  SymbolRecord* record = ST_insert();
  ASSERT_NE(record, nullptr);
  const std::string longNumber = std::string("-").append(30, '0').append("12,5");  // atof stops at the comma
  for (const std::string& text : {longNumber, std::string("x"), std::string(254, 'w'), std::string("3")}) {
    put(STAcces, text.c_str());
    ST_saveValue(record);
    put(STAcces, "$v");
    ST_getValue();
    EXPECT_EQ(STAcces.text.data(), text);
    EXPECT_EQ(STAcces.length, text.size());
  }
  EXPECT_TRUE(STAcces.numeric);
  EXPECT_EQ(STAcces.number, 3.0);
  put(STAcces, longNumber.c_str());
  ST_saveValue(record);
  put(STAcces, "$v");
  ST_getValue();
  EXPECT_TRUE(STAcces.numeric);
  EXPECT_EQ(STAcces.number, -12.0);
  put(STAcces, "$w");  // a new variable gets the undefined text, not an old long one
  ST_getValue();
  EXPECT_STREQ(STAcces.text.data(), "not defined value");
  EXPECT_FALSE(STAcces.numeric);
}

// Names around the length a record holds itself, and the longest: a name is
// cut to 254 characters, as the exchange buffer would cut it.
TEST_F(Plimbo, LongNamesAreComparedWhole) {
  const std::string held = std::string("$").append(kInlineName - 2, 'a');
  const std::string apart = std::string("$").append(kInlineName - 1, 'a');
  const std::string long1 = std::string("$").append(100, 'c').append("1");
  const std::string long2 = std::string("$").append(100, 'c').append("2");
  const std::string name254 = std::string("$").append(253, 'b');
  const std::string name255 = name254 + "z";
  const std::string program = "{ " + held + " <: 1; " + apart + " <: 2; " + long1 + " <: 3; " + long2 + " <: 4; " +
                              name254 + " <: 5; VRACEE (" + held + "); VRACEE (" + apart + "); VRACEE (" + long1 +
                              "); VRACEE (" + long2 + "); VRACEE (" + name255 + "); " + name255 + " <: 6; VRACEE (" +
                              name254 + "); } ZDECHNI";
  EXPECT_EQ(run(program), "1\n2\n3\n4\n5\n6\n" + kOk);
}

// A recorded token keeps only the used part of its text: a name and a string
// of every length, recorded on the first pass, are read back whole on the
// second (the name finds its record, the string prints). A name of 256
// characters is cut to 255 by the scanner, a printed value to 254.
TEST_F(Plimbo, RecordedTokensOfEveryLengthReplayWhole) {
  for (std::size_t length = 1; length <= kMaxTokenLength; ++length) {
    const std::string name = std::string("$").append(length, 'n');
    const std::string text(length, 's');
    const std::string program = "{ $i <: 0; DOKAD ($i < 2) { " + name + " <: \"" + text + "\"; VRACEE (" + name +
                                "); $i <: $i + 1; } FINISH; } ZDECHNI";
    const std::string shown = text.substr(0, kMaxValueLength) + "\n";
    EXPECT_EQ(run(program), shown + shown + kOk) << length;
  }
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
  EXPECT_EQ(nextTexts(4), (Texts{"{", "}", "FINISH", "{"}));
  LAMode = kReplayCondition;
  EXPECT_EQ(next().first, "1");
  EXPECT_EQ(next().first, ")");
  EXPECT_EQ(next().first, "1");
  WH_PD_free();
  EXPECT_EQ(While_PD, nullptr);
}

// A loop nested in a first pass records into the enclosing body, which then
// holds the whole block once; the nested loop replays just its own part.
TEST_F(Plimbo, NestedFirstPassRecordsOnceIntoTheEnclosingBody) {
  WH_PD_addLevel();
  LAMode = kRecordBody;
  scan("{ DOKAD ( 1 ) { x } FINISH ; } FINISH");
  nextTexts(3);
  WH_PD_addLevel();
  LAMode = kRecordCondition;
  nextTexts(2);
  LAMode = kRecordBody;
  nextTexts(4);
  WH_ResetReadAts();
  LAMode = kReplayCondition;
  EXPECT_EQ(nextTexts(3), (Texts{"1", ")", "1"}));
  LAMode = kReplayBody;
  EXPECT_EQ(nextTexts(5), (Texts{"{", "x", "}", "FINISH", "{"}));
  WH_PD_removeLevel();
  LAMode = kRecordBody;
  nextTexts(3);
  WH_ResetReadAts();
  LAMode = kReplayBody;
  EXPECT_EQ(nextTexts(13), (Texts{"{", "DOKAD", "(", "1", ")", "{", "x", "}", "FINISH", ";", "}", "FINISH", "{"}));
  WH_PD_free();
}

// A loop met while its enclosing loop replays reads its first pass through
// the enclosing recording and then replays just its own tokens, wrapping at
// its own ")" and FINISH; the enclosing replay resumes after that FINISH.
TEST_F(Plimbo, NestedLoopReplaysItsPartOfTheEnclosingRecording) {
  WH_PD_addLevel();
  LAMode = kRecordBody;
  scan("{ DOKAD ( 1 ) { x } FINISH ; } FINISH");
  nextTexts(12);
  WH_ResetReadAts();
  LAMode = kReplayBody;
  EXPECT_EQ(nextTexts(3), (Texts{"{", "DOKAD", "("}));
  WH_PD_addLevel();
  WH_ResetTempReadAt();
  LAMode = kLookAheadCondition;
  EXPECT_EQ(nextTexts(2), (Texts{"1", ")"}));
  LAMode = kLookAheadBody;
  EXPECT_EQ(nextTexts(4), (Texts{"{", "x", "}", "FINISH"}));
  WH_ResetReadAts();
  LAMode = kReplayCondition;
  EXPECT_EQ(nextTexts(3), (Texts{"1", ")", "1"}));
  LAMode = kReplayBody;
  EXPECT_EQ(nextTexts(5), (Texts{"{", "x", "}", "FINISH", "{"}));
  WH_ResumeAfterNested();
  WH_PD_removeLevel();
  EXPECT_EQ(nextTexts(4), (Texts{";", "}", "FINISH", "{"}));
  WH_PD_free();
  EXPECT_EQ(While_PD, nullptr);
}

// A signal whose handler returns interrupts a read that waits (EINTR): the
// read is tried again, on every path that reads. Each run goes on a thread
// with room for the analysis (so that it runs there); while the run waits
// for the rest of what it reads from a pipe, the test sends that thread
// SIGUSR1, then the rest.
TEST_F(Plimbo, ReadsInterruptedByASignalAreTriedAgain) {
  struct sigaction interrupting = {}, previous = {};
  interrupting.sa_handler = [](int) {};  // returns; no SA_RESTART
  ASSERT_EQ(::sigaction(SIGUSR1, &interrupting, &previous), 0);
  enum Reads { kProgramAndInput, kProgram, kInput };
  struct Case {
    const char* name;
    Reads reads;          // what comes from the pipe
    std::string file;     // the program, when the pipe brings the input only
    std::string first;    // sent at once
    std::string rest;     // sent after the signals
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"two arguments (getc)", kProgramAndInput, "", "{ VRACEE (\"first\"); ", "VRACEE (\"second\"); } ZDECHNI\n",
       "first\nsecond\n" + kOk},
      {"program from a pipe (read)", kProgram, "", "{ VRACEE (\"first\"); ", "VRACEE (\"second\"); } ZDECHNI\n",
       "first\nsecond\n" + kOk},
      {"NASAJ from a pipe (getc)", kInput, "{ NASAJ ($a); VRACEE ($a); } ZDECHNI", "", "word\n", "word\n" + kOk},
  };
  for (const Case& c : cases) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    streams_.push_back(::fdopen(ends[0], "r"));
    std::FILE* pipe = streams_.back();
    streams_.push_back(streamOf(c.file));
    struct Run {
      std::FILE* program;
      std::FILE* input;
      std::FILE* out;
    } run = {c.reads == kInput ? streams_.back() : pipe, c.reads == kProgram ? nullptr : pipe, output()};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 2 * kAnalysisStack);
    pthread_t runner;
    const auto body = [](void* argument) -> void* {
      auto* r = static_cast<Run*>(argument);
      interpret(r->program, r->input, r->out);
      return nullptr;
    };
    ASSERT_EQ(pthread_create(&runner, &attributes, body, &run), 0);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(::write(ends[1], c.first.data(), c.first.size()), static_cast<ssize_t>(c.first.size()));
    for (int i = 0; i < 10; ++i) {
      ::usleep(20000);
      pthread_kill(runner, SIGUSR1);
    }
    EXPECT_EQ(::write(ends[1], c.rest.data(), c.rest.size()), static_cast<ssize_t>(c.rest.size()));
    ::close(ends[1]);
    pthread_join(runner, nullptr);
    EXPECT_EQ(contentOf(run.out), c.expected) << c.name;
  }
  ::sigaction(SIGUSR1, &previous, nullptr);
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

TEST_F(Plimbo, StatusReportsFailure) {
  EXPECT_EQ(run("{ } KONEC"), "\nNeco se pokazilo...\n");
  EXPECT_EQ(status_, 1);
  EXPECT_EQ(run("{ } ZDECHNI"), kOk);
  EXPECT_EQ(status_, 0);
}

// A stream that delivers its text and then fails with EIO, as a hung-up
// terminal does.
std::FILE* failingAfter(const std::string& text) {
  struct Cookie {
    std::string text;
    std::size_t at = 0;
  };
  cookie_io_functions_t io = {};
  io.read = [](void* cookie, char* data, std::size_t size) -> ssize_t {
    auto* c = static_cast<Cookie*>(cookie);
    if (c->at == c->text.size()) {
      errno = EIO;
      return -1;
    }
    std::size_t n = std::min(size, c->text.size() - c->at);
    std::memcpy(data, c->text.data() + c->at, n);
    c->at += n;
    return static_cast<ssize_t>(n);
  };
  io.close = [](void* cookie) {
    delete static_cast<Cookie*>(cookie);
    return 0;
  };
  return fopencookie(new Cookie{text}, "r", io);
}

TEST_F(Plimbo, ReadErrorInTheSourceIsReportedNotTakenForItsEnd) {
  streams_.push_back(failingAfter("{ VRACEE (1);\n  VRACEE (2"));
  std::FILE* program = streams_.back();
  std::FILE* out = output();
  EXPECT_EQ(interpret(program, nullptr, out), 1);
  EXPECT_EQ(contentOf(out),
            "1\n\nZdrojak se nepodarilo precist ty plimbo, cos tam jebnul\n\nNeco se pokazilo...\n");
}

// The programs that nest depth levels deep in each way that takes stack,
// each printing 1 (at most kMaxNesting - 2 levels: the main block and the
// expression of VRACEE count too).
std::vector<std::pair<std::string, std::string>> deepPrograms(int depth) {
  const auto times = [](const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) all += text;
    return all;
  };
  const std::string closing(static_cast<std::size_t>(depth), ')');
  return {
      {"parentheses", "{ VRACEE (" + times("(", depth) + "1" + closing + "); } ZDECHNI"},
      {"calls", "{ VRACEE (" + times("#f (", depth) + "1" + closing + "); } ZDECHNI"},
      // Every level an operand of all four operator chains.
      {"chains", "{ VRACEE (" + times("1 | 1 < 1 + 1 * (", depth) + "1" + closing + "); } ZDECHNI"},
      {"chains of calls", "{ VRACEE (" + times("1 | 1 < 1 + 1 * #f (", depth) + "1" + closing + "); } ZDECHNI"},
      {"conditionals", "{ " + times("ESLI (1) { ", depth) + "VRACEE (1); " + times("} ILSE; ", depth) + "} ZDECHNI"},
      {"loops", "{ $i <: 0; " + times("DOKAD ($i < 1) { ", depth) + "$i <: 1; VRACEE ($i); " +
                    times("} FINISH; ", depth) + "} ZDECHNI"},
      // A replay that runs the deepest chain of conditionals a straight
      // block holds by their forms, at the deepest nesting.
      {"chain by forms", "{ $i <: 0; " + times("ESLI (1) { ", depth - 17) + "DOKAD ($i < 2) { " +
                             times("ESLI (1) { ", 16) + "$i <: $i + 1; " + times("} ILSE; ", 16) +
                             "} FINISH; VRACEE (1); " + times("} ILSE; ", depth - 17) + "} ZDECHNI"},
  };
}

// The bytes of stack a run of source takes: it runs on a thread whose stack
// (room for the deepest nesting, twice over) is painted first, and the run
// takes what it wrote over.
std::size_t stackTakenBy(const std::string& source) {
  constexpr std::size_t kSize = 2 * kAnalysisStack;
  constexpr unsigned char kPaint = 0xA5;
  std::vector<unsigned char> stack(kSize, kPaint);
  struct Run {
    std::FILE* program;
    std::FILE* out;
  } run = {streamOf(source), std::tmpfile()};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstack(&attributes, stack.data(), kSize);
  pthread_t thread;
  const auto body = [](void* argument) -> void* {
    auto* r = static_cast<Run*>(argument);
    interpret(r->program, nullptr, r->out);
    return nullptr;
  };
  EXPECT_EQ(pthread_create(&thread, &attributes, body, &run), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  std::fclose(run.program);
  std::fclose(run.out);
  const auto written = std::find_if(stack.begin(), stack.end(), [](unsigned char c) { return c != kPaint; });
  return static_cast<std::size_t>(stack.end() - written);
}

// The stack a run is given holds the nesting it allows: no level takes more
// than kStackPerLevel, and what runs besides the nesting (the scanner, a
// diagnostic, the output) no more than kStackMargin, at the deepest nesting
// and one level past it (the diagnostic) as at a shallow one.
TEST(Stack, NestingTakesNoMoreThanTheFiguresThatReserveIt) {
  constexpr int kShallow = 1000, kDeepest = kMaxNesting - 2;
  const auto shallow = deepPrograms(kShallow), deepest = deepPrograms(kDeepest), past = deepPrograms(kDeepest + 1);
  for (std::size_t form = 0; form < shallow.size(); ++form) {
    const std::size_t atShallow = stackTakenBy(shallow[form].second);
    const std::size_t atDeepest = stackTakenBy(deepest[form].second);
    const std::size_t atPast = stackTakenBy(past[form].second);
    const std::size_t perLevel = (atDeepest - atShallow) / (kDeepest - kShallow);
    EXPECT_LE(perLevel, kStackPerLevel) << deepest[form].first;
    EXPECT_LE(atShallow, kShallow * kStackPerLevel + kStackMargin) << shallow[form].first;
    EXPECT_LE(atDeepest, kAnalysisStack) << deepest[form].first;
    EXPECT_LE(atPast, kAnalysisStack) << past[form].first;
    std::printf("%-16s %5zu bytes a level, %7zu at %d levels\n", deepest[form].first.c_str(), perLevel, atDeepest,
                kDeepest);
  }
}

TEST_F(Plimbo, LineNumbersGoPast2To31) {
  scan("\n\n?");
  lineNo = 2147483647;
  EXPECT_EQ(next(), Tok(std::string("?"), kBadCharacter));
  EXPECT_EQ(lineNo, 2147483649);
  std::FILE* out = output();
  startOutput(out);
  syntaxError("V", "\";\"");
  EXPECT_EQ(finishOutput(), 0);
  EXPECT_EQ(contentOf(out), "(V)Chyba (2147483649), ocekavan: \";\", obdrzen: ?\n");
}

// A diagnostic or message is printed whole, however long the text in it.
TEST_F(Plimbo, LongMessagesArePrintedWhole) {
  const std::string text(100000, 'x');
  std::FILE* out = output();
  startOutput(out);
  emitf("<%s>", text.c_str());
  reportProblem(text.c_str(), "%s.", text.c_str());
  EXPECT_EQ(finishOutput(), 0);
  EXPECT_EQ(contentOf(out), "<" + text + ">(" + text + ")Chyba (1), " + text + ".\n");
}

TEST_F(Plimbo, OutputToAFullDeviceStopsTheRunWithStatus3) {
  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  streams_.push_back(full);
  streams_.push_back(streamOf("{ DOKAD (1) { VRACEE (\"y\"); } FINISH; } ZDECHNI"));
  EXPECT_EQ(interpret(streams_.back(), nullptr, full), kWriteFailed);
}

const std::string kNoMemory = "(SA)Chyba (1), nedostatek pameti\n\nNeco se pokazilo...\n";

TEST_F(Plimbo, AllocationFailureEndsTheRunWithADiagnostic) {
  const std::string source = "{ VRACEE (\"before\"); $a <: 1; DOKAD ($a < 3) { $a <: $a + 1; } FINISH; "
                             "VRACEE ($a + #f (7; 8)); } ZDECHNI";
  // $a ends at 3; the call leaves 7 and 8, and "+" takes those two.
  const auto failures = outputsUnderAllocationLimits(source, "before\n15.000000\n" + kOk);
  EXPECT_FALSE(failures.empty());
  for (const std::string& text : failures) EXPECT_TRUE(text == kNoMemory || text == "before\n" + kNoMemory) << text;
}

// The first long text a variable holds needs memory of its own: running out
// of it ends the run like any other shortage, after what was printed before.
TEST_F(Plimbo, NoMemoryForALongValueEndsTheRun) {
  const std::string source = "{ $x <: 1; VRACEE (\"before\"); $x <: \"a text longer than a record holds\"; "
                             "VRACEE ($x); } ZDECHNI";
  const auto failures =
      outputsUnderAllocationLimits(source, "before\na text longer than a record holds\n" + kOk);
  // After "before" only the long value allocates: $x and the pushdown
  // record exist by then.
  bool failedAtTheLongValue = false;
  for (const std::string& text : failures) {
    if (text == "before\n" + kNoMemory)
      failedAtTheLongValue = true;
    else
      EXPECT_EQ(text, kNoMemory);
  }
  EXPECT_TRUE(failedAtTheLongValue);
}

}  // namespace
}  // namespace plimbo

// The replacements pair malloc with free, which GCC cannot see through.
// Every form is replaced, so that the nothrow ones the stores use count
// (and fail) too, and every delete pairs with these news.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
void* allocate(std::size_t size) {
  if (plimbo::allocationsLeft == 0) return nullptr;
  if (plimbo::allocationsLeft > 0) --plimbo::allocationsLeft;
  return std::malloc(size != 0 ? size : 1);
}
}  // namespace
void* operator new(std::size_t size) {
  if (void* memory = allocate(size)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
