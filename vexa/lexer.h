// vexa: lists the tokens of the vexa language found in zdrojak.vexa.
// The lister's shared declarations, grouped by the file that owns them;
// globals that only one file uses live in that file. reset() (lexer.cpp)
// returns every global to its start-up value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

namespace vexa {

// ---- lexer.cpp: the automaton and the scanner ------------------------------

// States of the automaton; the values index STAVY.
enum State : int {
  qS,            // start: nothing collected yet
  qS1,           // inside a string
  qS2,           // inside a string, after a backslash
  qD2,           // number: after the decimal point, a digit is required
  qV1,           // after the opening `$` of a variable
  qV2,           // inside a variable name
  qR1,           // identifier: after `_`, a letter or digit is required
  qC1,           // line comment
  qC2,           // block comment
  qC3,           // block comment, after one `]`
  qC4,           // after `[`: comment opener expected
  qO1,           // after `&`
  qO2,           // after `|`
  qO3,           // after `:`
  qF,            // token complete: the next character only ends it
  qR1F,          // identifier (accepting)
  qD1D3F,        // integer part of a number (accepting)
  qD1F,          // after a sign `+` or `-` (accepting)
  qO3O4F,        // after `<` (accepting)
  qO3F,          // after `>` (accepting)
  qD2F,          // decimal digits of a number (accepting)
  nedefinovany,  // names no state the automaton enters
  kStateCount
};

// Token classes; the values index TYPY_TOKENU. Two more piece types name
// what the source listing (listing.h) reads besides tokens and comments.
enum TokenClass : int {
  kNumber,      // "cislo"
  kString,      // "retezec"
  kVariable,    // "promenna": $name$
  kIdentifier,  // "identifikator"
  kComment,     // "komentar": never delivered, comments are skipped
  kOperator,    // "operator"
  kTerminator,  // "ukonznak": `;`
  kBlock,       // "blok": `{` or `}`
  kAssignment,  // "prirad": `:=`
  kClassCount,
  kBlankPiece = -1,    // no class: blanks, and characters that begin no token
  kStoppedPiece = -2,  // no class: the token that ended the scan (malformed, too long)
};

// Exit statuses of a run.
inline constexpr int kStatusError = 1;       // source missing or unreadable, or a token too long
inline constexpr int kStatusMalformed = 2;   // a token that cannot be completed
inline constexpr int kStatusWriteError = 3;  // the listing could not be written

extern const char* const STAVY[kStateCount];        // state names
extern const char* const TYPY_TOKENU[kClassCount];  // class names, printed as labels

// Longest token text; a longer token ends the run with kStatusError.
inline constexpr int kMaxTokenLength = 65535;
// The source is read in blocks of this size. Builds may set it with
// SOURCE_BLOCK_SIZE (the sanitizer and fuzz builds use 3 bytes, so that
// every test crosses many block edges); the scanner works with any size.
#ifdef SOURCE_BLOCK_SIZE
inline constexpr std::size_t kInputCapacity = SOURCE_BLOCK_SIZE;
#else
inline constexpr std::size_t kInputCapacity = 64 * 1024;
#endif
static_assert(kInputCapacity >= 1, "a source block holds at least one byte");

// The current token.
struct Token {
  int type;     // class of the token; persists across calls until a scan sets it
  char* text;   // zero-terminated text of the token; stays readable for at
                // least kLineBlock bytes (see emitLine)
};

// What one character does to the automaton.
struct Move {
  enum Kind {
    kGo,         // continue in `next` (which may be the same state)
    kDone,       // the character is the look-ahead that ends the token
    kMalformed,  // the token cannot be completed: the run ends with kStatusMalformed
  } kind;
  State next;    // state after the character (unchanged when done)
};

extern std::FILE* file;          // the source being listed
extern Token t;                  // the current token
extern int stopStatus;           // 0, or the exit status that ends the run
extern bool endOfInput;          // a read of the source found nothing more
extern std::size_t textLength;   // length of t.text as printed (up to a NUL it holds)

// Returns every global to its start-up value (the stream is not closed).
void reset();

// The rules of the automaton, which the scanner works into a table of steps
// (tests hold the table against them):
// the transition for state `s` and character `c` (0..255);
Move transition(State s, int c);
// whether the character `c` that takes the automaton from `from` to `to` is
// left out of the token text;
bool removes(State from, State to, int c);
// the class a token takes when `c`, taking the automaton to `s`, is its
// only character kept so far, or none where the class stays as it is.
std::optional<TokenClass> classOf(State s, int c);

// Scans the next token of `file`. Returns its text, after printing the class
// label, or without a label at end of input (endOfInput is then set). Returns
// nullptr when the run must end; stopStatus then holds the exit status.
const char* lex();

// ---- source.cpp: reading, and waiting on a descriptor -----------------------

// Called when a read or write of descriptor has failed: whether to try it
// again. A call interrupted by a signal (EINTR) is tried again at once; on a
// non-blocking descriptor that is not ready (EAGAIN) the events are waited
// for first (POLLIN to read, POLLOUT to write). False for any other failure,
// with errno telling it.
bool waitForDescriptor(int descriptor, short events);

// fread of the next block of `file` into `into` (up to size bytes, at least
// one unless the source has ended), tried again after a signal and waiting
// on a non-blocking descriptor; 0 at the end and after a failed read, which
// leaves the stream's error set.
std::size_t readSource(char* into, std::size_t size);

// ---- output.cpp: the listing's buffer --------------------------------------

// The listing is gathered in one buffer and written to its descriptor in
// blocks of this size.
inline constexpr std::size_t kOutputCapacity = 256 * 1024;
// Short texts are copied as whole blocks of these sizes (the bytes after the
// text go along, and are overwritten by what follows).
inline constexpr std::size_t kLabelBlock = 16;
inline constexpr std::size_t kLineBlock = 32;

extern int outputFd;                                    // descriptor the listing is written to
extern std::array<char, kOutputCapacity> outputBuffer;  // listing not yet written
extern std::size_t outputLength;                        // bytes waiting in outputBuffer

// Writes out the buffered listing. A failed write sets stopStatus to
// kStatusWriteError, reports it on standard error and returns false.
bool flushOutput();

// Appends bytes to the listing; a full buffer is written out first. Once a
// write has failed (stopStatus is kStatusWriteError) nothing more is kept.
void emitSlowly(const char* bytes, std::size_t count);
inline void emit(const char* bytes, std::size_t count) {
  if (count > kOutputCapacity - outputLength) return emitSlowly(bytes, count);
  std::memcpy(outputBuffer.data() + outputLength, bytes, count);
  outputLength += count;
}
inline void emit(const char* text) { emit(text, std::strlen(text)); }

// Appends the first `count` of the kLabelBlock bytes at `block`.
inline void emitBlock(const char* block, std::size_t count) {
  if (kLabelBlock > kOutputCapacity - outputLength) return emitSlowly(block, count);
  std::memcpy(outputBuffer.data() + outputLength, block, kLabelBlock);
  outputLength += count;
}

// Appends `count` bytes and a newline. `bytes` must be readable for at least
// kLineBlock bytes.
inline void emitLine(const char* bytes, std::size_t count) {
  if (count < kLineBlock && kLineBlock <= kOutputCapacity - outputLength) {
    std::memcpy(outputBuffer.data() + outputLength, bytes, kLineBlock);
  } else if (count < kOutputCapacity - outputLength) {
    std::memcpy(outputBuffer.data() + outputLength, bytes, count);
  } else {
    emitSlowly(bytes, count);
    return emitSlowly("\n", 1);
  }
  outputBuffer[outputLength + count] = '\n';
  outputLength += count + 1;
}

// ---- driver.cpp ------------------------------------------------------------

// Lists every token of `source` on descriptor `output`; returns the exit status.
int listTokens(std::FILE* source, int output = 1);

// The whole program: opens zdrojak.vexa, lists it, returns the exit status.
int run();

}  // namespace vexa
