// Function declarations and calls. A declaration only checks its form; a
// call evaluates its arguments left to right and leaves their values on the
// value stack.
#include "procedures.h"

namespace m4t4 {
namespace {

// A name followed by "(" list ")": consumes the name, runs `seznam` for the
// list and reports a missing parenthesis under the rule `blok`.
unsigned jmeno_a_seznam(const char* blok, unsigned (*seznam)()) {
  Lex();
  if (!je(kOpenParen)) return chyba_znak(blok, "(");
  Lex();
  if (unsigned s = seznam()) return nastav(s);
  if (!je(kCloseParen)) return chyba_znak(blok, ")");
  Lex();
  return nastav(0);
}

}  // namespace

/* Funkce_deklarace -> deklarace "(" Vnitrni_funkce_deklarace ")" */
unsigned Funkce_deklarace() { return jmeno_a_seznam("Funkce_deklarace", Vnitrni_funkce_deklarace); }

/* Vnitrni_funkce_deklarace -> "p2" promenna ";" Vnitrni_funkce_deklarace
 *                           | "p2" promenna | empty */
unsigned Vnitrni_funkce_deklarace() {
  while (je(kP2)) {
    Lex();
    if (token_buffer->trida != kPromenna) return chyba_znak("Vnitrni_funkce_deklarace", "promenna");
    Lex();
    if (token_buffer->trida != kStrednik) return nastav(0);
    Lex();
  }
  if (je(kCloseParen)) return nastav(0);
  return chyba_znak("Vnitrni_funkce_deklarace", "p2");
}

/* Funkce_volani -> volani "(" Start ")" */
unsigned Funkce_volani() { return jmeno_a_seznam("Funkce_volani", Start); }

/* Start -> empty | Logicky_vyraz ";" Start | Logicky_vyraz */
unsigned Start() {
  while (!je(kCloseParen)) {
    if (unsigned s = Logicky_vyraz()) return nastav(s);
    if (!je(kSemicolonText)) break;
    Lex();
  }
  return nastav(0);
}

}  // namespace m4t4
