// Arithmetic operators and factors.
#include "procedures.h"

namespace m4t4 {

/* Aritmeticky_vyraz -> Term Vnitrni_aritmeticky_vyraz */
unsigned Aritmeticky_vyraz() {
  if (unsigned s = Term()) return s;
  return Vnitrni_aritmeticky_vyraz();
}

/* Vnitrni_aritmeticky_vyraz -> "+" Term Vnitrni_aritmeticky_vyraz
 *                            | "-" Term Vnitrni_aritmeticky_vyraz | empty */
unsigned Vnitrni_aritmeticky_vyraz() {
  while (is(kPlus) || is(kMinus)) {
    Word op = token_buffer->word;
    Lex();
    if (unsigned s = Term()) return s;
    formOperator(op);
    if (unsigned s = applyOperator(op)) return s;
  }
  return 0;
}

/* Term -> Faktor Vnitrni_term */
unsigned Term() {
  if (unsigned s = Faktor()) return s;
  return Vnitrni_term();
}

/* Vnitrni_term -> "*" Faktor Vnitrni_term | "/" Faktor Vnitrni_term
 *               | "%" Faktor Vnitrni_term | empty */
unsigned Vnitrni_term() {
  while (is(kTimes) || is(kDivide) || is(kModulo)) {
    Word op = token_buffer->word;
    Lex();
    if (unsigned s = Faktor()) return s;
    formOperator(op);
    if (unsigned s = applyOperator(op)) return s;
  }
  return 0;
}

/* Faktor -> "(" Logicky_vyraz ")" | cislo | retezec | promenna | Funkce_volani */
unsigned Faktor() {
  Token& token = *token_buffer;
  if (is(kOpenParen)) {
    Lex();
    if (unsigned s = Logicky_vyraz()) return s;
    if (!is(kCloseParen)) return reportExpected("Faktor", ")");
  } else if (token.tokenClass == kNumber || token.tokenClass == kString) {
    pushValue(token.text.data(), token.length, token.number);
    formOperand(token, nullptr);
  } else if (token.tokenClass == kVariable) {
    pushVariable(token);
    formOperand(token, token.record);
  } else if (token.tokenClass == kCall) {
    formRefuse();  // its arguments stay on the value stack
    return Funkce_volani();
  } else {
    return reportExpected("Faktor", "cislo, promenna, retezec, komentar nebo volani fce");
  }
  Lex();
  return 0;
}

}  // namespace m4t4
