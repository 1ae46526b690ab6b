// The lister's driver: open the fixed source file and print every token.
#include <cstdio>

#include "lexer.h"

namespace vexa {

int list_tokens(std::FILE* source) {
  reset();
  file = source;
  // A stream in error never reaches its end: lex reports the error instead.
  while (!std::feof(file)) {
    const char* text = lex();
    if (text == nullptr) return stop_status;
    std::printf("%s\n", text);
  }
  std::printf("\n");
  return 0;
}

int run() {
  std::FILE* source = std::fopen("zdrojak.vexa", "r");
  if (source == nullptr) {
    std::printf("Soubor neexistuje\n");
    return 1;
  }
  const int status = list_tokens(source);
  std::fclose(source);
  return status;
}

}  // namespace vexa
