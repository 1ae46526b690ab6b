// Function declarations and calls. A declaration only checks its form; a
// call evaluates its arguments left to right and leaves their values on the
// value stack.
#include "hooks.h"
#include "procedures.h"

namespace m4t4 {
namespace {

// A name followed by "(" list ")": consumes the name, runs `list` for the
// list and reports a missing parenthesis under the rule `rule`.
unsigned nameAndList(const char* rule, unsigned (*list)()) {
  Lex();
  if (!is(kOpenParen)) return reportExpected(rule, "(");
  Lex();
  if (unsigned s = list()) return s;
  if (!is(kCloseParen)) return reportExpected(rule, ")");
  Lex();
  return 0;
}

}  // namespace

/* Funkce_deklarace -> deklarace "(" Vnitrni_funkce_deklarace ")" */
unsigned Funkce_deklarace() {
  functionStarts(true);
  if (unsigned s = nameAndList("Funkce_deklarace", Vnitrni_funkce_deklarace)) return s;
  functionEnds(true);
  return 0;
}

/* Vnitrni_funkce_deklarace -> "p2" promenna ";" Vnitrni_funkce_deklarace
 *                           | "p2" promenna | empty */
unsigned Vnitrni_funkce_deklarace() {
  while (is(kP2)) {
    Lex();
    if (token_buffer->tokenClass != kVariable) {
      return reportExpected("Vnitrni_funkce_deklarace", "promenna");
    }
    Lex();
    // Required: a semicolon may stand before ")"; functions/parameter_list_forms.
    if (token_buffer->tokenClass != kSemicolon) return 0;
    Lex();
  }
  if (is(kCloseParen)) return 0;
  return reportExpected("Vnitrni_funkce_deklarace", "p2");
}

/* Funkce_volani -> volani "(" Start ")" */
unsigned Funkce_volani() {
  functionStarts(false);
  if (unsigned s = nameAndList("Funkce_volani", Start)) return s;
  functionEnds(false);
  return 0;
}

/* Start -> empty | Logicky_vyraz ";" Start | Logicky_vyraz */
unsigned Start() {
  while (!is(kCloseParen)) {
    if (unsigned s = Logicky_vyraz()) return s;
    if (!is(kSemicolonText)) break;
    Lex();
  }
  return 0;
}

}  // namespace m4t4
