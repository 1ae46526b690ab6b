// The lister's driver: open the fixed source file and list every token.
#include <cstdio>

#include "hooks.h"
#include "lexer.h"

namespace vexa {

int listTokens(std::FILE* source, int output) {
  reset();
  file = source;
  outputFd = output;
  // A stream in error never reaches its end: lex reports the error instead.
  // A failed write ends the listing at once. Required: a source that ends in
  // a newline lists one more, empty, text after its last token (pinned by
  // tokens/crlf_lines and most other cases).
  while (!endOfInput && stopStatus == 0) {
    const char* text = lex();
    if (text == nullptr) break;
    emitLine(text, textLength);
  }
  if (stopStatus == 0) emit("\n", 1);
  flushOutput();
  runEnds();
  return stopStatus;
}

int run() {
  std::FILE* source = std::fopen("zdrojak.vexa", "r");
  if (source == nullptr) {
    reset();
    emit("Soubor neexistuje\n");
    return flushOutput() ? kStatusError : stopStatus;
  }
  const int status = listTokens(source);
  std::fclose(source);
  return status;
}

}  // namespace vexa
