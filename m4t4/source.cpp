// Reading: the program's source in blocks for the lexer, cti's words from
// the input stream, and the wait on a descriptor that every read and write
// shares.
//
// How a block of the source is read depends on the stream:
// - a regular file, or a stream without a descriptor (a memory stream):
//   whole blocks, with fread;
// - a pipe, FIFO, terminal or socket: what has arrived, with read(2) on the
//   descriptor, so that a statement runs as soon as its tokens are in; what
//   was printed is written out first, since the read may wait for a writer
//   that waits for it;
// - the stream cti reads its words from too: one character, with getc, so
//   that cti goes on right after what the lexer has consumed (such a stream
//   is read through stdio only: a stream read with read(2) must hold no
//   bytes read ahead in its stdio buffer).
// cti writes out what was printed before it reads a word only where the
// read may wait (inputMayWait): a word from a regular file is there at once.
// Once the source has ended it is not read again. A read that fails ends
// it too, after the bytes read before it (readError tells the diagnostics);
// a word for cti that fails to read stops the run.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "procedures.h"

namespace m4t4 {
namespace {

enum class Reading : std::uint8_t { kBlocks, kAvailable, kByCharacter };

// The source stream being read and how.
struct SourceStream {
  FILE* stream = nullptr;              // the stream chosen for, none before the first read
  Reading reading = Reading::kBlocks;  // how its blocks are filled
  bool mayWait = false;                // a read may wait: the output is written out first
  bool ended = false;                  // its end (or a failed read) has been met
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
  for (;;) {
    const ssize_t count = ::read(descriptor, into, size);
    if (count >= 0) return count;
    if (!waitForDescriptor(descriptor, POLLIN)) return -1;
  }
}

// fread of up to size bytes, at least one unless the stream has ended;
// failed after a failure.
std::size_t readStream(FILE* stream, unsigned char* into, std::size_t size, bool& failed) {
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

bool readMayWait(FILE* stream) {
  const int descriptor = fileno(stream);
  struct stat status;
  return descriptor >= 0 && ::fstat(descriptor, &status) == 0 && !S_ISREG(status.st_mode);
}

int getCharacter(FILE* stream) {
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
  if (f == nullptr || source.ended) return 0;
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
  if (count == 0) {
    source.ended = true;
    if (failed && readError == 0) readError = errno != 0 ? errno : EIO;
  }
  return count;
}

void forgetSource() { source = SourceStream{}; }

bool readWord(ValueBuffer& word) {
  auto isSpace = [](int c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  // Whatever was printed (a prompt) is seen before the read waits.
  if (inputMayWait) flushOutput();
  word[0] = '\0';
  FILE* in = inputStream;
  if (in == nullptr) return true;
  int c = getCharacter(in);
  while (c != EOF && isSpace(c)) c = getCharacter(in);
  std::size_t length = 0;
  for (; c != EOF && !isSpace(c); c = getCharacter(in)) {
    if (length + 1 < word.size()) word[length++] = static_cast<char>(c);
  }
  if (c != EOF) std::ungetc(c, in);
  word[length] = '\0';
  // An input that cannot be read is not an exhausted one.
  return c != EOF || !std::ferror(in);
}

}  // namespace m4t4
