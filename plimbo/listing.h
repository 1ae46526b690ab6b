// The source listing: a text cut into the pieces the interpreter's scanner
// reads, for tools that must split a program exactly as plimbo does (the
// grammars of the editor integrations are tested against it). In the
// library plimbo_listing only (hooks.h tells how it is built).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plimbo {

// One piece of a text.
struct ScanPiece {
  std::size_t start;  // byte offset of its first character
  std::size_t end;    // byte offset just after its last character
  std::int32_t type;  // its token class (TokenClass in globals.h): comments
                      // and white space too; a character that begins no
                      // token is delivered alone as kBadCharacter, so no
                      // piece is ever dropped
};

// The name of a piece type: the name of its TokenClass without the k, in
// lower case with underscores ("number", "white_space", "bad_character");
// nullptr for a value that is no class.
const char* pieceTypeName(std::int32_t type);

// Scans text from the start state to the end of input with the interpreter's
// own scanner and returns, in order, every piece it reads: delivered tokens,
// white space (each character a piece), comments, and characters that begin
// no token. The pieces cover every byte once; the last is the end-of-input
// token, empty, at size. Uses the interpreter's state: not during a run.
std::vector<ScanPiece> listSource(const char* text, std::size_t size);

}  // namespace plimbo
