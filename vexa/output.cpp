// The listing's output: one large buffer written straight to a descriptor, so
// that every failed write is seen and a slow non-blocking reader loses nothing.
#include <cerrno>
#include <cstring>

#include <poll.h>    // POLLOUT
#include <unistd.h>  // write: the only call that reports each failure at once

#include "lexer.h"

namespace vexa {

int outputFd = 1;
std::array<char, kOutputCapacity> outputBuffer = {};
std::size_t outputLength = 0;

namespace {

void reportWriteError(int error) {
  std::fprintf(stderr, "vexa: write error: %s\n", std::strerror(error));
  stopStatus = kStatusWriteError;
  outputLength = 0;
}

}  // namespace

bool flushOutput() {
  if (stopStatus == kStatusWriteError) return false;
  std::size_t written = 0;
  while (written < outputLength) {
    const ssize_t n = ::write(outputFd, outputBuffer.data() + written, outputLength - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n < 0 && waitForDescriptor(outputFd, POLLOUT)) {
      continue;  // a signal, or a non-blocking descriptor whose reader is slow
    } else {
      reportWriteError(n == 0 ? EIO : errno);  // a write that takes nothing would loop for ever
      return false;
    }
  }
  outputLength = 0;
  return true;
}

void emitSlowly(const char* bytes, std::size_t count) {
  while (stopStatus != kStatusWriteError) {
    const std::size_t room = kOutputCapacity - outputLength;
    const std::size_t part = count < room ? count : room;
    std::memcpy(outputBuffer.data() + outputLength, bytes, part);
    outputLength += part;
    if (part == count) return;
    bytes += part;
    count -= part;
    flushOutput();
  }
}

}  // namespace vexa
