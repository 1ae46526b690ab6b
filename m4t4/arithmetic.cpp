// Arithmetic operators and factors.
#include "procedures.h"

namespace m4t4 {

/* Aritmeticky_vyraz -> Term Vnitrni_aritmeticky_vyraz */
unsigned Aritmeticky_vyraz() {
  if (unsigned s = Term()) return nastav(s);
  return nastav(Vnitrni_aritmeticky_vyraz());
}

/* Vnitrni_aritmeticky_vyraz -> "+" Term Vnitrni_aritmeticky_vyraz
 *                            | "-" Term Vnitrni_aritmeticky_vyraz | empty */
unsigned Vnitrni_aritmeticky_vyraz() {
  while (je(kPlus) || je(kMinus)) {
    Word op = token_buffer->word;
    Lex();
    if (unsigned s = Term()) return nastav(s);
    if (unsigned s = applyOperator(op)) return s;
  }
  return nastav(0);
}

/* Term -> Faktor Vnitrni_term */
unsigned Term() {
  if (unsigned s = Faktor()) return nastav(s);
  return nastav(Vnitrni_term());
}

/* Vnitrni_term -> "*" Faktor Vnitrni_term | "/" Faktor Vnitrni_term
 *               | "%" Faktor Vnitrni_term | empty */
unsigned Vnitrni_term() {
  while (je(kTimes) || je(kDivide) || je(kModulo)) {
    Word op = token_buffer->word;
    Lex();
    if (unsigned s = Faktor()) return nastav(s);
    if (unsigned s = applyOperator(op)) return s;
  }
  return nastav(0);
}

/* Faktor -> "(" Logicky_vyraz ")" | cislo | retezec | promenna | Funkce_volani */
unsigned Faktor() {
  Token& token = *token_buffer;
  if (je(kOpenParen)) {
    Lex();
    if (unsigned s = Logicky_vyraz()) return nastav(s);
    if (!je(kCloseParen)) return chyba_znak("Faktor", ")");
  } else if (token.trida == kCislo || token.trida == kRetezec) {
    pushValue(token.text.data(), token.length, token.number);
  } else if (token.trida == kPromenna) {
    pushVariable(token);
  } else if (token.trida == kVolani) {
    return nastav(Funkce_volani());
  } else {
    return chyba_znak("Faktor", "cislo, promenna, retezec, komentar nebo volani fce");
  }
  Lex();
  return nastav(0);
}

}  // namespace m4t4
