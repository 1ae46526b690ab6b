// Program output and diagnostics: collected in outputBuffer and written to
// outputStream in large blocks. The first failed write is remembered in writeError;
// from then on nothing more is written and the run stops where it stands
// (stopRun), so no output can be lost while the run goes on.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

#include "procedures.h"

namespace m4t4 {
namespace {

// Everything printed waits here and goes to outputStream in blocks.
std::array<char, kOutputBufferSize> outputBuffer;
std::size_t outputUsed = 0;  // bytes waiting in outputBuffer

void failWrite(int error) {
  writeError = error != 0 ? error : EIO;
  stopRun();
}

// Writes all of `data` to descriptor `fd`. A non-blocking descriptor that is
// not ready (EAGAIN) is waited for; nothing is dropped.
bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written > 0) {
      data += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    // A signal, or a non-blocking descriptor whose reader is slow.
    if (written < 0 && waitForDescriptor(fd, POLLOUT)) continue;
    failWrite(written < 0 ? errno : EIO);
    return false;
  }
  return true;
}

}  // namespace

void discardOutput() { outputUsed = 0; }

bool flushOutput() {
  if (writeError != 0) return false;
  std::size_t size = outputUsed;
  outputUsed = 0;
  errno = 0;
  // Whatever the stream itself still holds goes first.
  if (std::fflush(outputStream) != 0) {
    failWrite(errno);
    return false;
  }
  if (size == 0) return true;
  // A stream with a descriptor is written with write(2), which reports every
  // failure and lets a non-blocking descriptor be waited for; a memory stream
  // has no descriptor and goes through stdio.
  int fd = fileno(outputStream);
  if (fd >= 0) return writeAll(fd, outputBuffer.data(), size);
  if (std::fwrite(outputBuffer.data(), 1, size, outputStream) != size ||
      std::fflush(outputStream) != 0) {
    failWrite(errno);
    return false;
  }
  return true;
}

void printText(const char* text, std::size_t size) {
  if (writeError != 0) return;
  while (size > 0) {
    if (outputUsed == outputBuffer.size() && !flushOutput()) return;
    std::size_t part = std::min(size, outputBuffer.size() - outputUsed);
    std::memcpy(outputBuffer.data() + outputUsed, text, part);
    outputUsed += part;
    text += part;
    size -= part;
  }
}

void printFormat(const char* format, ...) {
  char line[1024];
  std::va_list arguments;
  va_start(arguments, format);
  std::va_list again;
  va_copy(again, arguments);
  int size = std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  if (size >= 0 && static_cast<std::size_t>(size) < sizeof line) {
    printText(line, static_cast<std::size_t>(size));
  } else if (size > 0) {  // formatted again in full
    const std::size_t whole = static_cast<std::size_t>(size) + 1;
    std::unique_ptr<char[]> longLine(new (std::nothrow) char[whole]);
    if (longLine != nullptr && std::vsnprintf(longLine.get(), whole, format, again) == size) {
      printText(longLine.get(), static_cast<std::size_t>(size));
    } else if (writeError == 0 && flushOutput()) {
      // No memory for the whole text: it cannot be printed, and printing
      // less would lose output unseen.
      failWrite(ENOMEM);
    }
  }
  va_end(again);
}

}  // namespace m4t4
