// The lister's driver: open the fixed source file and list every token.
#include <cstdio>

#include "lexer.h"

namespace vexa {

int list_tokens(std::FILE* source, int output) {
  reset();
  file = source;
  outputFd = output;
  // A stream in error never reaches its end: lex reports the error instead.
  // A failed write ends the listing at once.
  while (!endOfInput && stop_status == 0) {
    const char* text = lex();
    if (text == nullptr) break;
    emitLine(text, textLength);
  }
  if (stop_status == 0) emit("\n", 1);
  flushOutput();
  return stop_status;
}

int run() {
  std::FILE* source = std::fopen("zdrojak.vexa", "r");
  if (source == nullptr) {
    reset();
    emit("Soubor neexistuje\n");
    return flushOutput() ? 1 : stop_status;
  }
  const int status = list_tokens(source);
  std::fclose(source);
  return status;
}

}  // namespace vexa
