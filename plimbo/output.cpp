// Everything the interpreter prints goes through here: collected in one block
// and written with write(2), so that a failed or partial write is noticed at
// once, a non-blocking descriptor is waited for instead of losing data, and a
// terminal still sees each line as soon as it is complete.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

#include "procedures.h"

namespace plimbo {

namespace {

constexpr std::size_t kBlockSize = 1 << 16;

struct Output {
  std::FILE* stream = nullptr;  // where the output goes; none discards it
  int descriptor = -1;          // its descriptor, -1 for a stream without one
  bool lineByLine = false;      // a terminal: every complete line is written at once
  int error = 0;                // errno of the first failed write, 0 while none failed
  std::size_t used = 0;         // bytes waiting in block
  char block[kBlockSize];
};

Output out;

// Writes the whole of data to the descriptor; on failure returns the errno.
int writeDescriptor(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written > 0) {
      data += written;
      size -= static_cast<std::size_t>(written);
    } else if (written < 0 && waitForDescriptor(fd, POLLOUT)) {
      continue;  // a signal, or a non-blocking descriptor whose reader is slow
    } else {
      return written < 0 ? errno : EIO;
    }
  }
  return 0;
}

// Writes the waiting block; the first failure stops all further output and the run.
void writeBlock() {
  if (out.used == 0 || out.error != 0) return;
  if (out.descriptor >= 0) {
    out.error = writeDescriptor(out.descriptor, out.block, out.used);
  } else {
    errno = 0;
    if (std::fwrite(out.block, 1, out.used, out.stream) != out.used || std::fflush(out.stream) != 0)
      out.error = errno != 0 ? errno : EIO;
  }
  out.used = 0;
  if (out.error != 0) runStopped = 1;
}

}  // namespace

void startOutput(std::FILE* stream) {
  out.stream = stream;
  out.descriptor = -1;
  out.lineByLine = false;
  out.error = 0;
  out.used = 0;
  if (stream == nullptr) return;
  std::fflush(stream);  // what the stream itself still holds goes first
  out.descriptor = fileno(stream);
#ifdef __EMSCRIPTEN__
  // In the browser a run can end without returning (the page's stack gives
  // out first); writing each line at once keeps what was printed before.
  out.lineByLine = out.descriptor >= 0;
#else
  out.lineByLine = out.descriptor >= 0 && ::isatty(out.descriptor) != 0;
#endif
}

void flushOutput() { writeBlock(); }

int finishOutput() {
  writeBlock();
  return out.error;
}

void emit(const char* data, std::size_t size) {
  if (out.stream == nullptr || out.error != 0 || size == 0) return;
  while (size > 0) {
    if (out.used == kBlockSize) writeBlock();
    if (out.error != 0) return;
    const std::size_t part = std::min(size, kBlockSize - out.used);
    std::memcpy(out.block + out.used, data, part);
    out.used += part;
    data += part;
    size -= part;
  }
  if (out.lineByLine && out.block[out.used - 1] == '\n') writeBlock();
}

void emitv(const char* format, va_list arguments) {
  // Most texts fit here; one with a long user text is formatted again into
  // a buffer of its size.
  char text[1024];
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(text, sizeof text, format, arguments);
  if (length < 0) {
  } else if (static_cast<std::size_t>(length) < sizeof text) {
    emit(text, static_cast<std::size_t>(length));
  } else {
    const std::size_t size = static_cast<std::size_t>(length) + 1;
    std::unique_ptr<char[]> whole(new (std::nothrow) char[size]);
    if (whole != nullptr && std::vsnprintf(whole.get(), size, format, again) == length) {
      emit(whole.get(), static_cast<std::size_t>(length));
    } else if (out.stream != nullptr && out.error == 0) {
      // No memory for the whole text: it cannot be printed, and printing
      // less would lose output unseen.
      writeBlock();
      if (out.error == 0) out.error = ENOMEM;
      runStopped = 1;
    }
  }
  va_end(again);
}

void emitf(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  emitv(format, arguments);
  va_end(arguments);
}

void reportWriteError(int error) {
  std::fprintf(stderr, "plimbo: write error: %s\n", std::strerror(error));
}

}  // namespace plimbo
