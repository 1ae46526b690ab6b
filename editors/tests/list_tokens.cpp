// Lists the pieces a program's scanner cuts a source file into, one
// "start end type" line each (byte offsets, end exclusive), for the editor
// tests that hold the highlighting grammars against the scanners.
//
//   list_tokens plimbo|m4t4|vexa FILE
//
// The build defines LIST_PLIMBO, LIST_M4T4 and LIST_VEXA for the programs it
// links, and their headers that declare listSource.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef LIST_PLIMBO
#include LIST_PLIMBO
#endif
#ifdef LIST_M4T4
#include LIST_M4T4
#endif
#ifdef LIST_VEXA
#include LIST_VEXA
#endif

namespace {

template <typename Pieces>
void print(const Pieces& pieces) {
  for (const auto& piece : pieces) {
    std::printf("%zu %zu %d\n", static_cast<std::size_t>(piece.start), static_cast<std::size_t>(piece.end),
                static_cast<int>(piece.type));
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
#ifdef LIST_PLIMBO
  if (std::strcmp(program, "plimbo") == 0) return print(plimbo::listSource(text.data(), text.size())), 0;
#endif
#ifdef LIST_M4T4
  if (std::strcmp(program, "m4t4") == 0) return print(m4t4::listSource(text.data(), text.size())), 0;
#endif
#ifdef LIST_VEXA
  if (std::strcmp(program, "vexa") == 0) return print(vexa::listSource(text.data(), text.size())), 0;
#endif
  std::fprintf(stderr, "list_tokens: no scanner listing for %s in this build\n", program);
  return 2;
}
