// The source listing (listing.h): the scanner's hook records each piece it
// reads while listSource scans a text. Only in the library plimbo_listing.
#include "listing.h"

#include <cstdio>
#include <iterator>
#include <new>

#include "hooks.h"
#include "procedures.h"

namespace plimbo {

namespace {

std::vector<ScanPiece>* pieces = nullptr;  // the listing being made, while listSource runs
std::size_t listedBytes = 0;               // bytes of the text the pieces cover so far

constexpr const char* kPieceTypeNames[] = {
    "bad_character", "number",      "string",  "assignment", "variable",  "brace",    "call_name",
    "declaration_name", "keyword", "comment", "white_space", "semicolon", "operator", "end_of_input"};
static_assert(std::size(kPieceTypeNames) == kEndOfInput + 1, "a name for every token class");

}  // namespace

void pieceRead(std::int32_t type, std::size_t unread) {
  if (pieces == nullptr) return;
  // The text is read from a memory stream, whose position is the end of what
  // the scanner has read.
  const auto read = f != nullptr ? static_cast<std::size_t>(std::ftell(f)) : 0;
  const std::size_t end = read - unread;
  pieces->push_back({listedBytes, end, type});
  listedBytes = end;
}

const char* pieceTypeName(std::int32_t type) {
  return type >= 0 && type <= kEndOfInput ? kPieceTypeNames[type] : nullptr;
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
    lex();
  } while (tok_n->type != kEndOfInput);
  return listing;
}

}  // namespace plimbo
