#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "m4t4.h"
#include "procedures.h"

namespace m4t4 {
namespace {

struct Result {
  int status;
  std::string output;
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
  std::fclose(s);
  std::fclose(i);
  return {status, text};
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

}  // namespace
}  // namespace m4t4
