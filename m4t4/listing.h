// The source as the interpreter's scanner reads it, piece by piece: for the
// editor integrations, whose grammars are tested against it. Built into the
// library m4t4_listing, a second compilation of lexer.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace m4t4 {

// One piece of a source.
struct ScanPiece {
  std::size_t start;  // byte offset of its first character
  std::size_t end;    // byte offset just after its last character
  std::int32_t type;  // the token class (TokenClass), or kDroppedCharacter
};

// The type of a character that the scanner drops in its start state without
// beginning a token (an upper-case letter, a comma, a carriage return, ...).
constexpr std::int32_t kDroppedCharacter = -1;

// Scans text from the start state to the end of input with the interpreter's
// own scanner and returns, in order, every piece it reads: delivered tokens,
// white space, comments, and characters that begin no token. The pieces
// cover every byte once, in order, and end with the end-of-input token as an
// empty piece at `size`. A piece holds a token's dropped characters too
// ("1, 5" is one number). The interpreter's state is reset before and after:
// not for use during a run.
std::vector<ScanPiece> listSource(const char* text, std::size_t size);

}  // namespace m4t4
