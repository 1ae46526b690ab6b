// The conditional statement and the truth test of values.
#include <cstdlib>

#include "hooks.h"
#include "procedures.h"

namespace m4t4 {

int32_t isTrue(const char* text) {
  if (Je_cislo(text)) return toNumber(text) != 0.0;
  return text[0] != '\0';
}

bool popTruth() {
  StackNode* top = vrchol_zas;
  if (i2_priznak != 0 && top != nullptr && top->number.known) {  // no text needed
    bool truth = top->number.value != 0.0;
    dropValues(1);
    return truth;
  }
  KnownNumber number = popInto(hodnota_zas);
  if (number.known) return number.value != 0.0;  // numeric text whose atof is known
  return isTrue(hodnota_zas.data()) != 0;
}

/* If -> "(" Logicky_vyraz ")" Blok "e2" Blok "i2_end" | "(" Logicky_vyraz ")" Blok "i2_end" */
// The effects flag is saved on entry, set for each branch and restored at
// the end. A stopped run keeps it off (stopRun): each write follows a
// checkStopped, since the expression or a block may have stopped the run
// without a status of its own (a refused record, its token already read).
unsigned If() {
  int32_t outer = i2_priznak;
  if (!is(kOpenParen)) return reportExpected("If", "(");
  Lex();
  bool taken = false, holds = false;
  if (unsigned s = expression(Take::kTruth, taken, holds)) return s;
  if (unsigned s = checkStopped()) return s;
  if (!is(kCloseParen)) return reportExpected("If", ")");
  i2_priznak = (taken ? holds : popTruth()) && outer != 0;
  effectsChanged(EffectsCause::kCondition);
  Lex();
  if (unsigned s = Blok()) return s;
  return ifRest(outer);
}

unsigned ifRest(int32_t outer) {
  if (unsigned s = checkStopped()) return s;
  if (is(kE2)) {
    i2_priznak = outer != 0 && i2_priznak == 0;
    effectsChanged(EffectsCause::kElse);
    Lex();
    if (unsigned s = Blok()) return s;
    if (unsigned s = checkStopped()) return s;
  }
  if (!is(kI2End)) return reportExpected("If", "i2_end");
  i2_priznak = outer;
  effectsChanged(EffectsCause::kRestored);
  Lex();
  return 0;
}

}  // namespace m4t4
