// Lists the pieces a program's scanner cuts a source file into, one
// "start end type" line each (byte offsets, end exclusive; the type by the
// name the program gives it), for the editor tests that hold the
// highlighting grammars against the scanners.
//
//   list_tokens plimbo|m4t4|vexa FILE
//
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "m4t4/listing.h"
#include "plimbo/listing.h"
#include "vexa/listing.h"

namespace {

// Prints the pieces, each type by its name (nameOf); a type without a name
// as its number, which the tests then report.
template <typename Pieces>
void print(const Pieces& pieces, const char* (*nameOf)(std::int32_t)) {
  for (const auto& piece : pieces) {
    const char* name = nameOf(piece.type);
    if (name != nullptr) {
      std::printf("%zu %zu %s\n", piece.start, piece.end, name);
    } else {
      std::printf("%zu %zu %d\n", piece.start, piece.end, static_cast<int>(piece.type));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: list_tokens plimbo|m4t4|vexa FILE\n");
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "list_tokens: cannot read %s\n", argv[2]);
    return 2;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const char* program = argv[1];
  if (std::strcmp(program, "plimbo") == 0)
    return print(plimbo::listSource(text.data(), text.size()), plimbo::pieceTypeName), 0;
  if (std::strcmp(program, "m4t4") == 0) return print(m4t4::listSource(text.data(), text.size()), m4t4::pieceTypeName), 0;
  if (std::strcmp(program, "vexa") == 0) return print(vexa::listSource(text.data(), text.size()), vexa::pieceTypeName), 0;
  std::fprintf(stderr, "list_tokens: no scanner listing for %s\n", program);
  return 2;
}
