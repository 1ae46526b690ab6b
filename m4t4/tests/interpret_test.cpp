#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "m4t4.h"
#include "procedures.h"

namespace m4t4 {
namespace {

struct Result {
  int status;
  std::string output;
  std::string unread;  // what cti left of the input
};

// Runs a whole program in-process, reading cti words from `input`.
Result runProgram(const std::string& source, const std::string& input = "") {
  std::string src = source, in = input;
  FILE* s = fmemopen(src.data(), src.size(), "r");
  FILE* i = in.empty() ? std::fopen("/dev/null", "r") : fmemopen(in.data(), in.size(), "r");
  char* data = nullptr;
  std::size_t size = 0;
  FILE* out = open_memstream(&data, &size);
  int status = interpret(s, i, out);
  std::fclose(out);
  std::string text(data, size);
  std::free(data);
  std::string unread;
  for (int c; (c = std::fgetc(i)) != EOF;) unread += static_cast<char>(c);
  std::fclose(s);
  std::fclose(i);
  return {status, text, unread};
}

TEST(Interpret, StateIsResetBetweenRuns) {
  Result first = runProgram("{ @a -> 5; w2 (1) { pis(@a); x; } w2_end; } .");
  EXPECT_NE(first.status, 0);
  Result second = runProgram("{ pis(@a); } .");
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.output, "hodnota neurcena\nProgram probehl bez chyb.\n");
  EXPECT_EQ(zasobnik, nullptr);
  EXPECT_EQ(vrchol_tab, nullptr);
  EXPECT_EQ(vrchol_zas, nullptr);
  EXPECT_EQ(i2_priznak, 1);
}

// A recorded token keeps only the used part of its text: a name and a string
// of every length, recorded on the first pass, are read back whole on the
// second (the name finds its record, the string prints). A name of 256
// characters is cut to 255 by the scanner, a printed value to 254.
TEST(Interpret, RecordedTokensOfEveryLengthReplayWhole) {
  for (std::size_t length = 1; length < kTokenTextSize; ++length) {
    const std::string name = std::string("@").append(length, 'n');
    const std::string text(length, 's');
    Result run = runProgram("{ @i -> 0; w2 (@i < 2) { " + name + " -> \"" + text + "\"; pis_ln(" + name +
                            "); @i -> @i + 1; } w2_end; } .");
    const std::string shown = text.substr(0, kValueSize - 1) + "\n";
    EXPECT_EQ(run.output, shown + shown + "\nProgram probehl bez chyb.\n") << length;
  }
}

// "!" leaves its operand's text in pom_a, in a replay as in a first pass.
TEST(Interpret, NegationInAReplayLeavesItsOperandText) {
  const std::pair<const char*, const char*> cases[] = {
      {"{ @i -> 0; w2 (@i < 2) { @n -> !@i; @i -> @i + 1; } w2_end; } .", "1.000000"},
      {"{ @v -> 7; @i -> 0; w2 (@i < 2) { @n -> !(@v); @i -> @i + 1; } w2_end; } .", "7"},
      {"{ @i -> 0; w2 (@i < 2) { @n -> !(@i < 5); @i -> @i + 1; } w2_end; } .", "1"},
      {"{ @v -> 7; @i -> 0; w2 (!(@i = 2)) { @n -> !(@i < 5) | !@v; @i -> @i + 1; } w2_end; } .", "1"},
      {"{ @v -> 7; @i -> 0; w2 (@i < 2) { @n -> !(@i < 5) | !@v; @i -> @i + 1; } w2_end; } .", "7"},
      {"{ @i -> 0; w2 (@i < 2) { @n -> !007; @i -> @i + 1; } w2_end; } .", "007"},
      {"{ @i -> 0; w2 (@i < 2) { @n -> !(@i / 4); @i -> @i + 1; } w2_end; } .", "0.250000"},
      {"{ @v -> 1 / 3; @i -> 0; w2 (@i < 2) { @n -> !@v; @i -> @i + 1; } w2_end; } .", "0.333333"},
  };
  for (const auto& [program, operand] : cases) {
    pom_a = {};
    runProgram(program);
    EXPECT_STREQ(pom_a.data(), operand) << program;
  }
}

// A replayed expression leaves the exchange buffers as the grammar leaves
// them: a join its texts and result (pom_b, pom_a, hodnota_zas), a text
// comparison its texts, the condition of a value whose number is not known
// and pis their texts in hodnota_zas; a known truth nothing.
TEST(Interpret, ReplayedExpressionsLeaveTheExchangeBuffers) {
  struct Case {
    const char* program;
    const char* zas;
    const char* a;
    const char* b;
  };
  const Case cases[] = {
      {"{ @t -> \"ab\"; @i -> 0; w2 (@i < 2) { @u -> @t + \"c\"; @i -> @i + 1; } w2_end; } .", "abc", "c", "ab"},
      {"{ @t -> \"ab\"; @i -> 0; w2 (@i < 2) { i2 (@t) { @i -> @i + 1; } i2_end; } w2_end; } .", "ab", "", ""},
      {"{ @i -> 0; w2 (@i < 2) { pis(@i); @i -> @i + 1; } w2_end; } .", "1.000000", "", ""},
      {"{ @i -> 0; w2 (@i < 2) { pis(@i < 1); @i -> @i + 1; } w2_end; } .", "0", "", ""},
      {"{ @t -> \"b\"; @i -> 0; w2 (@i < 2) { i2 (@t < \"a\") { } i2_end; @i -> @i + 1; } w2_end; } .", "", "a",
       "b"},
      {"{ @t -> \"b\"; @i -> 0; w2 (@t < \"bw\") { @t -> @t + \"x\"; pis(\"\"); } w2_end; } .", "", "bw", "bx"},
      // Straight bodies: passes of the loop, and a branch's block, by forms.
      {"{ @t -> \"a\"; @i -> 0; w2 (@i < 3) { @t -> @t + \"b\"; @i -> @i + 1; } w2_end; } .", "abbb", "b", "abb"},
      {"{ @t -> \"a\"; @i -> 0; w2 (@i < 3) { i2 (@i < 5) { @t -> @t + \"b\"; @u -> !@i; } i2_end; @i -> @i + 1; }"
       " w2_end; } .",
       "abbb", "2.000000", "abb"},
  };
  for (const Case& c : cases) {
    hodnota_zas = {};
    pom_a = {};
    pom_b = {};
    runProgram(c.program);
    EXPECT_STREQ(hodnota_zas.data(), c.zas) << c.program;
    EXPECT_STREQ(pom_a.data(), c.a) << c.program;
    EXPECT_STREQ(pom_b.data(), c.b) << c.program;
  }
}

TEST(Interpret, ReadsInputFromItsOwnStream) {
  Result r = runProgram("{ cti(@a); cti(@b); cti(@c); pis(@a + @b); pis(\"[\" + @c + \"]\"); } .",
                      "  12abc\n\t3 ");
  EXPECT_EQ(r.output, "15.000000[]\nProgram probehl bez chyb.\n");
}

TEST(Interpret, DeepNestingEndsWithADiagnostic) {
  std::string deep = "{ pis(" + std::string(20000, '(') + "1" + std::string(20000, ')') + "); } .";
  Result r = runProgram(deep);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            "V bloku: 'Logicky_vyraz', na radku: 1 nastala chyba - prilis hluboke vnoreni.\n"
            "\nV programu se vyskytla chyba.\n");
  std::string ok = "{ pis(" + std::string(10000, '(') + "7" + std::string(10000, ')') + "); } .";
  EXPECT_EQ(runProgram(ok).output, "7\nProgram probehl bez chyb.\n");
}

TEST(Interpret, LongStatementListsAndChainsIterate) {
  std::string many = "{ @s -> 0;";
  for (int i = 0; i < 100000; ++i) many += " @s -> @s + 1;";
  many += " pis(@s); } .";
  EXPECT_EQ(runProgram(many).output, "100000.000000\nProgram probehl bez chyb.\n");
  std::string chain = "{ pis(0";
  for (int i = 0; i < 100000; ++i) chain += " + 1";
  chain += "); } .";
  EXPECT_EQ(runProgram(chain).output, "100000.000000\nProgram probehl bez chyb.\n");
}

// The loop token stack holds kMaxRecordedTokens tokens. A loop's first pass
// records its condition "@i < 1 )" and its body from "{" on; filler
// statements of 4 tokens ("@a -> 1 ;") and of 5 ("~f ( 1 ) ;") place the
// token past the cap on the operand or on the ")" of a final statement.
// Nothing of that statement may run: no print, no word read; only the
// message is printed. (Each run records a million tokens: few runs.)
TEST(Interpret, NothingRunsFromTheTokenPastTheRecordingCap) {
  static_assert(kMaxRecordedTokens == 1000000);
  const std::string message =
      "V bloku: 'While', na radku: 1 nastala chyba - cyklus je prilis dlouhy.\n"
      "\nV programu se vyskytla chyba.\n";
  for (const std::string statement : {"pis_ln(\"x\")", "cti(@v)"}) {
    for (int refused = 2; refused < 4; ++refused) {  // its token 2 (the operand) or 3 (")")
      // 5 + 4 * fours + 5 * fives tokens come first, and token 1,000,001 is refused.
      const int fives = 3 - refused;
      const int fours = (999995 - refused - 5 * fives) / 4;
      std::string program = "{ @i -> 0; w2 (@i < 1) {";
      for (int k = 0; k < fours; ++k) program += " @a -> 1;";
      for (int k = 0; k < fives; ++k) program += " ~f(1);";
      program += " " + statement + "; pis(\"after\"); @i -> 1; } w2_end; pis(\"end\"); } .";
      Result r = runProgram(program, "word rest");
      EXPECT_EQ(r.output, message) << statement << ", token " << refused;
      EXPECT_EQ(r.unread, "word rest") << statement << ", token " << refused;
      EXPECT_EQ(r.status, 1);
    }
  }
}

// A signal whose handler returns interrupts a read that waits (EINTR): the
// read is tried again, on every path that reads. Each run goes on a thread
// with room for the analysis (so that it runs there); while the run waits
// for the rest of what it reads from a pipe, the test sends that thread
// SIGUSR1, then the rest.
TEST(Interpret, ReadsInterruptedByASignalAreTriedAgain) {
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
  const std::string ok = "\nProgram probehl bez chyb.\n";
  const std::vector<Case> cases = {
      {"two arguments (getc)", kProgramAndInput, "", "{ pis_ln(\"first\"); ", "pis_ln(\"second\"); } .\n",
       "first\nsecond\n" + ok},
      {"program from a pipe (read)", kProgram, "", "{ pis_ln(\"first\"); ", "pis_ln(\"second\"); } .\n",
       "first\nsecond\n" + ok},
      {"cti from a pipe (getc)", kInput, "{ cti(@a); pis_ln(@a); } .", "", "word\n", "word\n" + ok},
  };
  for (const Case& c : cases) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    FILE* pipe = ::fdopen(ends[0], "r");
    FILE* program = std::tmpfile();
    std::fputs(c.file.c_str(), program);
    std::rewind(program);
    struct Run {
      FILE* program;
      FILE* input;
      FILE* out;
    } run = {c.reads == kInput ? program : pipe, c.reads == kProgram ? nullptr : pipe, std::tmpfile()};
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
    std::string output;
    std::rewind(run.out);
    for (int ch; (ch = std::fgetc(run.out)) != EOF;) output += static_cast<char>(ch);
    EXPECT_EQ(output, c.expected) << c.name;
    std::fclose(run.out);
    std::fclose(program);
    std::fclose(pipe);
  }
  ::sigaction(SIGUSR1, &previous, nullptr);
}

// The programs that nest depth levels deep in each way that takes stack,
// each printing 7 (at most kMaxNesting - 2 levels: the main block and the
// expression of pis count too). Loops stop at kMaxLoopLevels long before.
std::vector<std::pair<std::string, std::string>> deepPrograms(int depth) {
  const auto times = [](const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) all += text;
    return all;
  };
  const std::string closing(static_cast<std::size_t>(depth), ')');
  return {
      {"parentheses", "{ pis(" + times("(", depth) + "7" + closing + "); } ."},
      {"calls", "{ pis(" + times("~f(", depth) + "7" + closing + "); } ."},
      // Every level an operand of the logical, comparison, additive and
      // multiplicative chains.
      {"chains", "{ pis(" + times("1 | 1 < 1 + 1 * (", depth) + "7" + closing + "); } ."},
      {"chains of calls", "{ pis(" + times("1 | 1 < 1 + 1 * ~f(", depth) + "7" + closing + "); } ."},
      {"conditions", "{ " + times("i2 (1) { ", depth) + "pis(7);" + times(" } i2_end;", depth) + " } ."},
      // A replay that runs the deepest chain of conditionals a straight
      // block holds by their forms, at the deepest nesting.
      {"chain by forms", "{ @i -> 0; " + times("i2 (1) { ", depth - 17) + "w2 (@i < 2) { " +
                             times("i2 (1) { ", 16) + "@i -> @i + 1; " + times("} i2_end; ", 16) +
                             "} w2_end; pis(7);" + times(" } i2_end;", depth - 17) + " } ."},
  };
}

// The bytes of stack a run of source takes: it runs on a thread whose stack
// (room for the deepest nesting, twice over) is painted first, and the run
// takes what it wrote over.
std::size_t stackTakenBy(const std::string& source) {
  constexpr std::size_t kSize = 2 * kAnalysisStack;
  constexpr unsigned char kPaint = 0xA5;
  std::vector<unsigned char> stack(kSize, kPaint);
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstack(&attributes, stack.data(), kSize);
  pthread_t thread;
  std::string text = source;
  const auto body = [](void* argument) -> void* {
    runProgram(*static_cast<std::string*>(argument));
    return nullptr;
  };
  EXPECT_EQ(pthread_create(&thread, &attributes, body, &text), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  const auto written = std::find_if(stack.begin(), stack.end(), [](unsigned char c) { return c != kPaint; });
  return static_cast<std::size_t>(stack.end() - written);
}

// The stack a run is given holds the nesting it allows: no level takes more
// than kStackPerLevel, and what runs besides the nesting (the lexer, a
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

// Names are found through a keyed hash; what a program prints never depends
// on the key.
TEST(Interpret, OutputDoesNotDependOnTheHashKey) {
  std::string program = "{";
  for (int i = 0; i < 3000; ++i) program += " @v" + std::to_string(i) + " -> " + std::to_string(i) + ";";
  program += " @s -> 0; @i -> 0; w2 (@i < 3000) { @s -> @s + @i; @i -> @i + 1; } w2_end;";
  program += " pis_ln(@s); pis_ln(@v2999 + @v17); pis_ln(@never); } .";
  const std::string expected =
      "4498500.000000\n3016.000000\nhodnota neurcena\n\nProgram probehl bez chyb.\n";
  setHashKey({1, 2});
  EXPECT_EQ(runProgram(program).output, expected);
  setHashKey({0xfedcba9876543210u, 0x0123456789abcdefu});
  EXPECT_EQ(runProgram(program).output, expected);
}

}  // namespace
}  // namespace m4t4
