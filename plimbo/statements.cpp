// Blocks and the simple statements: assignment, conditional, output, input.
#include "procedures.h"

namespace plimbo {

namespace {

bool startsStatement() {
  return tok_n.type == kVariable || isText("ESLI") || isText("DOKAD") || isText("VRACEE") ||
         isText("NASAJ");
}

// Reads one whitespace-delimited word of at most 254 kept characters from the
// input stream into ops1; the empty text when the stream is exhausted.
void readWord() {
  std::FILE* in = inputStream;
  int c = in != nullptr ? std::fgetc(in) : EOF;
  while (c != EOF && isWhiteSpace(c)) c = std::fgetc(in);
  std::size_t length = 0;
  while (c != EOF && !isWhiteSpace(c)) {
    if (length < kValueSize - 1) ops1[length++] = static_cast<char>(c);
    c = std::fgetc(in);
  }
  if (c != EOF) std::ungetc(c, in);
  ops1[length] = '\0';
}

// Evaluates "(" A ")" and leaves the current token on the ")".
unsigned parenthesizedExpression(const char* procedure) {
  if (!isText("(")) return syntaxError(procedure, "\"(\"");
  lex();
  if ((SAError = A()) != 0 || (SAError = checkStopped()) != 0) return SAError;
  if (!isText(")")) return syntaxError(procedure, "\")\"");
  return 0;
}

}  // namespace

/* blok -> "{" V "}" */
unsigned blok() {
  if (!isText("{")) return syntaxError("blok", "\"{\"");
  if ((SAError = enterNesting("blok")) != 0) return SAError;
  lex();
  if ((SAError = V()) != 0) return SAError;
  if (!isText("}")) return syntaxError("blok", "\"}\"");
  leaveNesting();
  lex();
  return 0;
}

/* V -> prikaz ";" V | empty */
unsigned V() {
  while (startsStatement()) {
    if ((SAError = prikaz()) != 0 || (SAError = checkStopped()) != 0) return SAError;
    if (tok_n.type != kSemicolon) return syntaxError("V", "\";\"");
    lex();
  }
  return 0;
}

/* prikaz -> variable davaj | ESLI esli | DOKAD dokad | VRACEE vracee | NASAJ nasaj */
unsigned prikaz() {
  if (tok_n.type == kVariable) {
    copy_text(STAcces, tok_n.text.data());
    SymbolRecord* record = ST_insert();
    lex();
    if ((SAError = davaj()) != 0) return SAError;
    PD_pop();
    copy_text(STAcces, PDAcces.data());
    ST_saveValue(record);
    return 0;
  }
  bool conditional = isText("ESLI"), loop = isText("DOKAD"), output = isText("VRACEE");
  lex();
  if (conditional) return SAError = esli();
  if (loop) return SAError = dokad();
  if (output) return SAError = vracee();
  return SAError = nasaj();
}

/* davaj -> "<:" A */
unsigned davaj() {
  if (tok_n.type != kAssignment) return syntaxError("davaj", "\"<:\"");
  lex();
  return SAError = A();
}

/* esli -> "(" A ")" blok [ "JINEM" blok ] "ILSE" */
unsigned esli() {
  std::int32_t saved = if_flag;
  if ((SAError = parenthesizedExpression("esli")) != 0) return SAError;
  PD_pop();
  if_flag = saved != 0 && isTrue(PDAcces.data()) ? 1 : 0;
  lex();
  if ((SAError = blok()) != 0) return SAError;
  if (isText("JINEM")) {
    if_flag = saved != 0 && if_flag == 0 ? 1 : 0;
    lex();
    if ((SAError = blok()) != 0) return SAError;
  }
  if (!isText("ILSE")) return syntaxError("esli", "\"ILSE\"");
  if_flag = saved;
  lex();
  return 0;
}

/* vracee -> "(" A ")" */
unsigned vracee() {
  if ((SAError = parenthesizedExpression("vracee")) != 0) return SAError;
  PD_pop();
  if (if_flag != 0) {
    const std::size_t length = std::strlen(PDAcces.data());
    PDAcces[length] = '\n';  // room: a value text leaves the last byte free
    emit(PDAcces.data(), length + 1);
    PDAcces[length] = '\0';
  }
  lex();
  return 0;
}

/* nasaj -> "(" variable ")" */
unsigned nasaj() {
  if (!isText("(")) return syntaxError("nasaj", "\"(\"");
  lex();
  if (tok_n.type != kVariable) return SAError = 1;
  copy_text(STAcces, tok_n.text.data());
  SymbolRecord* record = ST_insert();
  lex();
  if (!isText(")")) return syntaxError("nasaj", "\")\"");
  if (if_flag != 0) {
    readWord();
    copy_text(STAcces, ops1.data());
    ST_saveValue(record);
  }
  lex();
  return 0;
}

}  // namespace plimbo
