// The source listing (listing.h): the scanner's hook records each piece it
// reads while listSource scans a text. Only in the library m4t4_listing.
#include "listing.h"

#include <cstdio>
#include <iterator>
#include <new>

#include "hooks.h"
#include "procedures.h"

namespace m4t4 {

namespace {

std::vector<ScanPiece>* pieces = nullptr;  // the listing being made, while listSource runs
std::size_t listedBytes = 0;               // bytes of the text the pieces cover so far

// The names of the piece types from kDroppedCharacter on.
constexpr const char* kPieceTypeNames[] = {
    "dropped_character", "number", "string", "comment", "white_space", "semicolon", "word",
    "brace",             "end",    "arrow",  "operator", "variable",   "call",      "declaration"};
static_assert(std::size(kPieceTypeNames) == kDeclaration - kDroppedCharacter + 1,
              "a name for every piece type");

}  // namespace

void pieceRead(int32_t type, std::size_t unread) {
  if (pieces == nullptr) return;
  // The text is read from a memory stream, whose position is the end of what
  // the scanner has read.
  const auto read = f != nullptr ? static_cast<std::size_t>(std::ftell(f)) : 0;
  const std::size_t end = read - unread;
  // A piece that holds nothing is none; the end of input is the last piece,
  // empty.
  if (end == listedBytes && type != kEnd) return;
  pieces->push_back({listedBytes, end, type});
  listedBytes = end;
}

const char* pieceTypeName(std::int32_t type) {
  if (type < kDroppedCharacter || type > kDeclaration) return nullptr;
  return kPieceTypeNames[type - kDroppedCharacter];
}

std::vector<ScanPiece> listSource(const char* text, std::size_t size) {
  std::vector<ScanPiece> listing;
  reset();
  // Read only, so the text is not written to; no text, no stream.
  std::FILE* stream = size > 0 ? fmemopen(const_cast<char*>(text), size, "r") : nullptr;
  if (size > 0 && stream == nullptr) throw std::bad_alloc();
  // The interpreter's state is left as at start-up, however the scan ends.
  struct Finish {
    std::FILE* stream;
    ~Finish() {
      pieces = nullptr;
      if (stream != nullptr) std::fclose(stream);
      reset();
    }
  } finish{stream};
  f = stream;
  pieces = &listing;
  listedBytes = 0;
  do {
    Lex();
  } while (token_buffer->tokenClass != kEnd);
  return listing;
}

}  // namespace m4t4
