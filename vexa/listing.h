// The source as the lister's automaton reads it, piece by piece: for the
// editor integrations, whose grammars are tested against it. In the library
// vexa_listing only (hooks.h tells how it is built).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexa {

// One piece of a source as the automaton reads it: a token, a comment, or
// the blanks and stray characters between them.
struct ScanPiece {
  std::size_t start;  // offset of the piece's first byte
  std::size_t end;    // offset just past its last byte
  std::int32_t type;  // the token's class (TokenClass in lexer.h), kComment,
                      // kBlankPiece or kStoppedPiece
};

// The name of a piece type: a class's name as the lister prints it
// ("cislo", "komentar"), "blank" for kBlankPiece and "stopped" for
// kStoppedPiece; nullptr for a value that is neither.
const char* pieceTypeName(std::int32_t type);

// Scans `text` with the lister's own automaton and returns every piece it
// reads, in order, covering each byte read once; a token that ends the scan
// is the last piece, as kStoppedPiece, up to the byte that ended it. Prints
// nothing. Like listTokens it starts from reset(), and it leaves the
// globals reset: not to be called while a listing is under way.
std::vector<ScanPiece> listSource(const char* text, std::size_t size);

}  // namespace vexa
