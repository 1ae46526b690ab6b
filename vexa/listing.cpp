// The source listing (listing.h): the automaton's hook records each piece it
// reads while listSource scans a text. Only in the library vexa_listing.
#include "listing.h"

#include <cstdio>
#include <new>

#include "hooks.h"
#include "lexer.h"

namespace vexa {

namespace {

std::vector<ScanPiece>* pieces = nullptr;  // the listing being made, while listSource runs
std::size_t listedBytes = 0;               // bytes of the text the pieces cover so far

}  // namespace

void pieceRead(int type, std::size_t unread) {
  if (pieces == nullptr) return;
  // The text is read from a memory stream, whose position is the end of what
  // the automaton has read.
  const std::size_t end = static_cast<std::size_t>(std::ftell(file)) - unread;
  if (end == listedBytes) return;
  pieces->push_back({listedBytes, end, type});
  listedBytes = end;
}

const char* pieceTypeName(std::int32_t type) {
  if (type == kBlankPiece) return "blank";
  if (type == kStoppedPiece) return "stopped";
  return type >= 0 && type < kClassCount ? TYPY_TOKENU[type] : nullptr;
}

std::vector<ScanPiece> listSource(const char* text, std::size_t size) {
  std::vector<ScanPiece> listing;
  reset();
  if (size == 0) return listing;
  // Read only, so the text is not written to.
  std::FILE* stream = fmemopen(const_cast<char*>(text), size, "r");
  if (stream == nullptr) throw std::bad_alloc();
  // The lister's state is left as at start-up, however the scan ends.
  struct Finish {
    std::FILE* stream;
    ~Finish() {
      pieces = nullptr;
      std::fclose(stream);
      reset();
    }
  } finish{stream};
  file = stream;
  pieces = &listing;
  listedBytes = 0;
  while (!endOfInput && stopStatus == 0) {
    if (lex() == nullptr) break;
    // What the lister would print (a class label) is not wanted here.
    outputLength = 0;
  }
  return listing;
}

}  // namespace vexa
