// Function declarations and calls. A declaration only checks its form; a
// call evaluates its arguments left to right and leaves their values on the
// value stack.
#include "procedures.h"

namespace m4t4 {

/* Funkce_deklarace -> deklarace "(" Vnitrni_funkce_deklarace ")" */
unsigned Funkce_deklarace() {
  Lex();
  if (!je("(")) return chyba_znak("Funkce_deklarace", "(");
  Lex();
  if (unsigned s = Vnitrni_funkce_deklarace()) return nastav(s);
  if (!je(")")) return chyba_znak("Funkce_deklarace", ")");
  Lex();
  return nastav(0);
}

/* Vnitrni_funkce_deklarace -> "p2" promenna ";" Vnitrni_funkce_deklarace
 *                           | "p2" promenna | empty */
unsigned Vnitrni_funkce_deklarace() {
  while (je("p2")) {
    Lex();
    if (token_buffer.trida != kPromenna) return chyba_znak("Vnitrni_funkce_deklarace", "promenna");
    Lex();
    if (token_buffer.trida != kStrednik) return nastav(0);
    Lex();
  }
  if (je(")")) return nastav(0);
  return chyba_znak("Vnitrni_funkce_deklarace", "p2");
}

/* Funkce_volani -> volani "(" Start ")" */
unsigned Funkce_volani() {
  Lex();
  if (!je("(")) return chyba_znak("Funkce_volani", "(");
  Lex();
  if (unsigned s = Start()) return nastav(s);
  if (!je(")")) return chyba_znak("Funkce_volani", ")");
  Lex();
  return nastav(0);
}

/* Start -> empty | Logicky_vyraz ";" Start | Logicky_vyraz */
unsigned Start() {
  while (!je(")")) {
    if (unsigned s = Logicky_vyraz()) return nastav(s);
    if (!je(";")) break;
    Lex();
  }
  return nastav(0);
}

}  // namespace m4t4
