// The source as the interpreter's scanner reads it, piece by piece: for the
// editor integrations, whose grammars are tested against it. In the library
// m4t4_listing only (hooks.h tells how it is built).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace m4t4 {

// One piece of a source.
struct ScanPiece {
  std::size_t start;  // byte offset of its first character
  std::size_t end;    // byte offset just after its last character
  std::int32_t type;  // the token class (TokenClass in globals.h), comments
                      // and white space too, or kDroppedCharacter
};

// The name of a piece type: the name of its TokenClass without the k, in
// lower case with underscores ("number", "white_space",
// "dropped_character"); nullptr for a value that is no class.
const char* pieceTypeName(std::int32_t type);

// Scans text from the start state to the end of input with the interpreter's
// own scanner and returns, in order, every piece it reads: delivered tokens,
// white space, comments, and characters that begin no token. The pieces
// cover every byte once, in order, and end with the end-of-input token as an
// empty piece at `size`. A piece holds a token's dropped characters too
// ("1, 5" is one number). The interpreter's state is reset before and after:
// not for use during a run.
std::vector<ScanPiece> listSource(const char* text, std::size_t size);

}  // namespace m4t4
