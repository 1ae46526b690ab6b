// The listing written to pipes: a slow non-blocking reader gets every byte, a
// reader that has left ends the run with the write error status at once;
// and a source from a pipe read through a signal.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include "lexer.h"

namespace {

// `lines` lines "x;" as a source, rewound for reading.
std::FILE* sourceOfLines(int lines) {
  std::FILE* source = std::tmpfile();
  for (int i = 0; i < lines; ++i) std::fputs("x;\n", source);
  std::rewind(source);
  return source;
}

// The listing of sourceOfLines(lines), worked out from the token rules: each
// `x` is ended by `;`, each `;` by the newline, the final newline leaves an
// empty text, and the listing ends with an empty line.
std::string listingOfLines(int lines) {
  std::string expected;
  for (int i = 0; i < lines; ++i) expected += "[identifikator] x\n[ukonznak] ;\n";
  return expected + "\n\n";
}

TEST(Output, SlowNonBlockingReaderReceivesTheWholeListing) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) | O_NONBLOCK), 0);
  std::string received;
  std::thread reader([&] {
    char block[4096];
    ssize_t n;
    while ((n = ::read(ends[0], block, sizeof block)) > 0) {
      received.append(block, static_cast<std::size_t>(n));
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  });
  std::FILE* source = sourceOfLines(40000);
  const int status = vexa::listTokens(source, ends[1]);
  ::close(ends[1]);
  reader.join();
  ::close(ends[0]);
  std::fclose(source);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(received == listingOfLines(40000)) << received.size() << " bytes received";
}

TEST(Output, ReaderThatHasLeftEndsTheRunAtOnceWithStatus3) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
  // The malformed `&` at the end is never reached: the first write fails.
  std::FILE* source = sourceOfLines(100000);
  std::fseek(source, 0, SEEK_END);
  std::fputs("& ", source);
  std::rewind(source);
  testing::internal::CaptureStderr();
  const int status = vexa::listTokens(source, ends[1]);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "vexa: write error: Broken pipe\n");
  EXPECT_EQ(status, vexa::kStatusWriteError);
  std::signal(SIGPIPE, previous);
  ::close(ends[1]);
  std::fclose(source);
}

// A signal whose handler returns interrupts the read of a source that waits
// (EINTR): the read is tried again. While the lister waits for the rest of
// its source from a pipe, the test sends its thread SIGUSR1, then the rest.
TEST(Source, ReadInterruptedByASignalIsTriedAgain) {
  struct sigaction interrupting = {}, previous = {};
  interrupting.sa_handler = [](int) {};  // returns; no SA_RESTART
  ASSERT_EQ(::sigaction(SIGUSR1, &interrupting, &previous), 0);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::FILE* source = ::fdopen(ends[0], "r");
  std::FILE* listing = std::tmpfile();
  int status = -1;
  std::thread lister([&] { status = vexa::listTokens(source, fileno(listing)); });
  EXPECT_EQ(::write(ends[1], "x;\n", 3), 3);
  for (int i = 0; i < 10; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pthread_kill(lister.native_handle(), SIGUSR1);
  }
  EXPECT_EQ(::write(ends[1], "x;\n", 3), 3);
  ::close(ends[1]);
  lister.join();
  std::string received;
  std::rewind(listing);
  for (int c; (c = std::fgetc(listing)) != EOF;) received += static_cast<char>(c);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(received, listingOfLines(2));
  std::fclose(listing);
  std::fclose(source);
  ::sigaction(SIGUSR1, &previous, nullptr);
}

}  // namespace
