// Reading: the program's source in blocks for the scanner, NASAJ's words
// from the input stream, and the wait on a descriptor that every read and
// write shares.
//
// How a block of the source is read depends on the stream:
// - a regular file, or a stream without a descriptor (a string in memory):
//   whole blocks, with fread;
// - a pipe, FIFO, terminal or socket: what has arrived, with read(2) on the
//   descriptor, so that each statement runs as soon as its tokens are in (a
//   line typed is run before the next is typed); the output is written out
//   first, since the read may wait for a writer that waits for it;
// - the stream NASAJ reads words from too: one character, with getc (the
//   words come right after the program text scanned so far).
// A read that fails is not the end of the stream: the run stops and says so.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "procedures.h"

namespace plimbo {

namespace {

enum class Reading : std::uint8_t { kBlocks, kAvailable, kByCharacter };

// The source stream being read and how.
struct SourceStream {
  std::FILE* stream = nullptr;         // the stream chosen for, none before the first read
  Reading reading = Reading::kBlocks;  // how its blocks are filled
  bool mayWait = false;                // a read may wait: the output is written out first
  bool ended = false;                  // read(2) has reported the end of the stream
};

SourceStream source;

// Chooses how the source stream f is read.
void chooseReading() {
  source.stream = f;
  source.mayWait = f != nullptr && readMayWait(f);
  source.ended = false;
  if (f == inputStream)
    source.reading = Reading::kByCharacter;
  else
    source.reading = source.mayWait ? Reading::kAvailable : Reading::kBlocks;
}

// Reads what has arrived on the descriptor, at least one byte unless the
// stream has ended; -1 after a failure.
ssize_t readAvailable(int descriptor, unsigned char* into, std::size_t size) {
  if (source.ended) return 0;
  for (;;) {
    const ssize_t count = ::read(descriptor, into, size);
    if (count == 0) source.ended = true;
    if (count >= 0) return count;
    if (!waitForDescriptor(descriptor, POLLIN)) return -1;
  }
}

// fread of up to size bytes, at least one unless the stream has ended;
// failed after a failure.
std::size_t readStream(std::FILE* stream, unsigned char* into, std::size_t size, bool& failed) {
  for (;;) {
    const std::size_t count = std::fread(into, 1, size, stream);
    if (count > 0 || !std::ferror(stream)) return count;
    if (!waitForDescriptor(fileno(stream), POLLIN)) {
      failed = true;
      return 0;
    }
    std::clearerr(stream);
  }
}

}  // namespace

bool waitForDescriptor(int descriptor, short events) {
  if (errno == EINTR) return true;
  // (A stream without a descriptor, a memory stream, cannot be waited for.)
  if ((errno != EAGAIN && errno != EWOULDBLOCK) || descriptor < 0) return false;
  pollfd ready = {descriptor, events, 0};
  while (::poll(&ready, 1, -1) < 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool readMayWait(std::FILE* stream) {
  const int descriptor = fileno(stream);
  struct stat status;
  return descriptor >= 0 && ::fstat(descriptor, &status) == 0 && !S_ISREG(status.st_mode);
}

int getCharacter(std::FILE* stream) {
  for (;;) {
    // Only this thread reads the stream: no locking needed.
    const int c = getc_unlocked(stream);
    if (c != EOF || !std::ferror(stream)) return c;
    if (!waitForDescriptor(fileno(stream), POLLIN)) return EOF;
    std::clearerr(stream);
  }
}

std::size_t readSource(unsigned char* into, std::size_t size) {
  if (f != source.stream) chooseReading();
  if (f == nullptr) return 0;
  if (source.mayWait) flushOutput();
  std::size_t count = 0;
  bool failed = false;
  if (source.reading == Reading::kByCharacter) {
    const int c = getCharacter(f);
    if (c != EOF) into[count++] = static_cast<unsigned char>(c);
    failed = c == EOF && std::ferror(f);
  } else if (source.reading == Reading::kAvailable) {
    const ssize_t got = readAvailable(fileno(f), into, size);
    if (got > 0) count = static_cast<std::size_t>(got);
    failed = got < 0;
  } else {
    count = readStream(f, into, size, failed);
  }
  if (failed) {
    // The rest of the source is lost: say so instead of the syntax error
    // its end would cause, and read nothing more.
    stopRun("\nZdrojak se nepodarilo precist ty plimbo, cos tam jebnul\n");
    f = nullptr;
    source.stream = nullptr;
  }
  return count;
}

void forgetSource() { source = SourceStream{}; }

bool readWord(Value& word) {
  std::FILE* in = inputStream;
  // Whatever was printed (a prompt) is seen before the read waits.
  if (inputMayWait) flushOutput();
  int c = in != nullptr ? getCharacter(in) : EOF;
  while (c != EOF && isWhiteSpace(c)) c = getCharacter(in);
  std::size_t length = 0;
  while (c != EOF && !isWhiteSpace(c)) {
    if (length < kMaxValueLength) word.text[length++] = static_cast<char>(c);
    c = getCharacter(in);
  }
  if (c != EOF) std::ungetc(c, in);
  word.text[length] = '\0';
  word.length = static_cast<std::uint8_t>(std::strlen(word.text.data()));  // a NUL byte ends it
  classify(word);
  if (c == EOF && in != nullptr && std::ferror(in)) {
    // An input that cannot be read is not an exhausted one.
    stopRun("\nVstup se nepodarilo precist ty plimbo, cos tam jebnul\n");
    return false;
  }
  return true;
}

}  // namespace plimbo
