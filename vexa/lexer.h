// vexa: lists the tokens of the vexa language found in zdrojak.vexa.
// All state of the lister lives in this namespace and is declared here once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace vexa {

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

// Token classes; the values index TYPY_TOKENU.
enum TokenClass : int {
  cislo,          // number
  retezec,        // string
  promenna,       // variable $name$
  identifikator,  // identifier
  komentar,       // comment (never delivered)
  operator_,      // operator
  ukonznak,       // statement terminator `;`
  blok,           // block brace
  prirad,         // assignment `:=`
  kClassCount
};

extern const char* const STAVY[kStateCount];        // state names
extern const char* const TYPY_TOKENU[kClassCount];  // class names, printed as labels

// Longest token text; a longer token ends the run with status 1.
inline constexpr int kMaxTokenLength = 65535;
// Room for a full token, the look-ahead character that ends it, and the terminator.
inline constexpr int kTextCapacity = kMaxTokenLength + 2;

// The current token.
struct Token {
  int type;     // class of the token; persists across calls until a scan sets it
  char* text;   // zero-terminated text of the token (points into text_buffer)
};

// What one character does to the automaton.
struct Move {
  enum Kind {
    go,         // continue in `next` (which may be the same state)
    done,       // the character is the look-ahead that ends the token
    malformed,  // the token cannot be completed: the run ends with status 2
  } kind;
  State next;   // state after the character (unchanged when done)
};

// The listing is gathered in one buffer and written to its descriptor in
// blocks of this size.
inline constexpr std::size_t kOutputCapacity = 256 * 1024;
// Exit status of a run whose listing could not be written (1 and 2 are the
// lister's own errors).
inline constexpr int kWriteErrorStatus = 3;

// The source is read in blocks of this size.
inline constexpr std::size_t kInputCapacity = 256 * 1024;

extern std::FILE* file;                               // the source being listed
extern Token t;                                       // the current token
extern std::array<char, kTextCapacity> text_buffer;   // storage of t.text, reused by every scan
extern int stop_status;                               // 0, or the exit status that ends the run
// The block of the source being scanned: inputBuffer[0] holds the byte before
// the block, the block itself runs from inputBuffer[1] to inputEnd.
extern std::array<char, kInputCapacity + 1> inputBuffer;
extern const char* inputPos;                              // next byte to scan
extern const char* inputEnd;                              // end of the bytes read
extern bool endOfInput;                               // a read found nothing more
extern std::size_t textLength;                        // printed length of t.text
extern int outputFd;                                  // descriptor the listing is written to
extern std::array<char, kOutputCapacity> outputBuffer;  // listing not yet written
extern std::size_t outputLength;                      // bytes waiting in outputBuffer

// Returns every global to its start-up value (the stream is not closed).
void reset();

// Appends bytes to the listing; a full buffer is written out first. Once a
// write has failed (stop_status is kWriteErrorStatus) nothing more is kept.
void emitSlowly(const char* bytes, std::size_t count);
inline void emit(const char* bytes, std::size_t count) {
  if (count > kOutputCapacity - outputLength) return emitSlowly(bytes, count);
  std::memcpy(outputBuffer.data() + outputLength, bytes, count);
  outputLength += count;
}
inline void emit(const char* text) { emit(text, std::strlen(text)); }
// Short texts are copied as whole blocks of this size (the bytes after the
// text are copied too, and overwritten by what follows).
inline constexpr std::size_t kLabelBlock = 16;
inline constexpr std::size_t kLineBlock = 32;

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

// Writes out the buffered listing. A failed write sets stop_status to
// kWriteErrorStatus, reports it on standard error and returns false.
bool flushOutput();

// The automaton's transition for state `s` and character `c` (0..255).
Move transition(State s, int c);

// Scans the next token of `file`. Returns its text, after printing the class
// label, or without a label at end of input (endOfInput is then set). Returns
// nullptr when the run must end; stop_status then holds the exit status.
const char* lex();

// Lists every token of `source` on descriptor `output`; returns the exit status.
int list_tokens(std::FILE* source, int output = 1);

// The whole program: opens zdrojak.vexa, lists it, returns the exit status.
int run();

}  // namespace vexa
