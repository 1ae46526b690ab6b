// Runs that meet a failing allocator, an unreadable source or an unwritable
// output, and line numbers past 2^31.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "arena.h"
#include "clean_state.h"
#include "m4t4.h"

namespace {

// Allocations of exactly this size fail while it is non-zero, once
// failingAfter of them have been made.
std::size_t failingSize = 0;
std::size_t failingAfter = 0;

void* allocate(std::size_t size) {
  if (failingSize != 0 && size == failingSize) {
    if (failingAfter == 0) return nullptr;
    --failingAfter;
  }
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

// The replacement pair below allocates with malloc and releases with free,
// which the compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace m4t4 {
namespace {

struct Result {
  int status;
  std::string output;
};

Result runProgram(FILE* source) {
  char* data = nullptr;
  std::size_t size = 0;
  FILE* out = open_memstream(&data, &size);
  int status = interpret(source, nullptr, out);
  std::fclose(out);
  std::string text(data, size);
  std::free(data);
  return {status, text};
}

// Runs `program` while allocations of `size` bytes fail, from the one after
// the first `after` of them on.
Result runFailing(std::string program, std::size_t size, std::size_t after = 0) {
  FILE* source = fmemopen(program.data(), program.size(), "r");
  failingSize = size;
  failingAfter = after;
  Result result = runProgram(source);
  failingSize = 0;
  failingAfter = 0;
  std::fclose(source);
  return result;
}

const std::string kFailed = "\nV programu se vyskytla chyba.\n";

TEST(RunFailures, AllocationFailureEndsTheRunWithADiagnostic) {
  // The first record starts the records' first block.
  const std::size_t recordBlock = Arena::blockSizeFor(sizeof(TableRecord), alignof(TableRecord));
  Result variable = runFailing("{ pis_ln(\"a\"); @x -> 1; pis_ln(\"b\"); } .", recordBlock);
  EXPECT_EQ(variable.status, 1);
  EXPECT_EQ(
      variable.output,
      "a\nV bloku: 'Vloz_do_tab', na radku: 1 nastala chyba - nedostatek pameti.\n" + kFailed);

  // A value too long to be held in its table record (24 characters or
  // more) needs a field of its own; one character less is held in the record.
  Result longValue = runFailing(
      "{ pis_ln(\"a\"); @x -> \"twenty-three characters\"; pis_ln(@x);\n"
      "@x -> \"twenty-four characters..\"; pis_ln(\"b\"); } .",
      sizeof(Field));
  EXPECT_EQ(longValue.output,
            "a\ntwenty-three characters\n"
            "V bloku: 'Vloz_obsah_tab', na radku: 2 nastala chyba - nedostatek pameti.\n" +
                kFailed);
  // The field is made once: a value that has one never fails for memory.
  Result keptField = runFailing(
      "{ @x -> \"twenty-four characters..\"; @x -> 1; @x -> \"twenty-five characters...\";"
      " pis_ln(@x); } .",
      sizeof(Field), 1);
  EXPECT_EQ(keptField.output, "twenty-five characters...\n\nProgram probehl bez chyb.\n");

  // A name of 16 characters or more is kept apart from its record, each in
  // blocks of its own; @x's record starts the records' block, the long name
  // the names' first. A name of 15 characters needs none.
  const std::size_t nameBlock = Arena::blockSizeFor(32, 8);  // 24 characters and a NUL, in words
  Result longName = runFailing(
      "{ @x -> 1; @fifteen_chars1 -> 2; pis_ln(\"a\"); @a_name_of_twenty_four_c -> 1; } .",
      nameBlock, nameBlock == recordBlock ? 1 : 0);
  EXPECT_EQ(longName.output,
            "a\nV bloku: 'Vloz_do_tab', na radku: 1 nastala chyba - nedostatek pameti.\n" + kFailed);

  Result value = runFailing("{ pis_ln(\"a\"); } .", sizeof(StackNode));
  EXPECT_EQ(value.output,
            "V bloku: 'Vloz_do_zas', na radku: 1 nastala chyba - nedostatek pameti.\n" + kFailed);

  Result level = runFailing("{ pis_ln(\"a\"); w2 (1) { } w2_end; } .", sizeof(LoopLevel));
  EXPECT_EQ(level.output,
            "a\nV bloku: 'Zvys_zas', na radku: 1 nastala chyba - nedostatek pameti.\n" + kFailed);

  // The first recorded token, "(", starts the recording's first block.
  const std::size_t firstBlock = Arena::blockSizeFor(
      offsetof(TokenNode, token) + offsetof(Token, text) + kShortText, alignof(TokenNode));
  Result token = runFailing("{ pis_ln(\"a\"); w2 (1) { } w2_end; } .", firstBlock);
  EXPECT_EQ(token.output,
            "a\nV bloku: 'Vloz_do_zas_cykl', na radku: 1 nastala chyba - nedostatek pameti.\n" +
                kFailed);
}

// A source that delivers `text` and then fails with EIO.
struct FailingSource {
  std::string text;
  std::size_t position = 0;
};

ssize_t readThenFail(void* cookie, char* buffer, std::size_t size) {
  auto* source = static_cast<FailingSource*>(cookie);
  if (source->position == source->text.size()) {
    errno = EIO;
    return -1;
  }
  std::size_t n = std::min(size, source->text.size() - source->position);
  std::memcpy(buffer, source->text.data() + source->position, n);
  source->position += n;
  return static_cast<ssize_t>(n);
}

TEST(RunFailures, ReadErrorIsReportedAsSuch) {
  FailingSource failing{"{ pis_ln(1);\n  pis_ln(2);"};
  cookie_io_functions_t functions{readThenFail, nullptr, nullptr, nullptr};
  FILE* source = fopencookie(&failing, "r", functions);
  Result result = runProgram(source);
  std::fclose(source);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output,
            "1\n2\nV bloku: 'Lex', na radku: 2 nastala chyba - soubor se nezdarilo precist.\n" +
                kFailed);
}

TEST(RunFailures, FailedWriteStopsTheRun) {
  std::string program = "{ w2 (1) { pis_ln(\"endless\"); } w2_end; } .";
  FILE* source = fmemopen(program.data(), program.size(), "r");
  FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(interpret(source, nullptr, full), kWriteFailed);
  std::fclose(full);
  std::fclose(source);
}

using LineNumbers = CleanState;

TEST_F(LineNumbers, CountPast32Bits) {
  source("\n\nx");
  cislo_radku = INT_MAX;
  Lex();
  EXPECT_EQ(cislo_radku, 2147483649LL);
  char* data = nullptr;
  std::size_t size = 0;
  outputStream = open_memstream(&data, &size);
  reportExpected("Blok", "{");
  flushOutput();
  std::fclose(outputStream);
  outputStream = stdout;
  EXPECT_STREQ(data,
               "V bloku: 'Blok', na radku: 2147483649 nastala chyba - byl ocekavan znak: \"{\", "
               "namisto toho se vyskytl tento znak: \"x\".\n");
  std::free(data);
}

}  // namespace
}  // namespace m4t4
