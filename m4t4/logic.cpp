// Logical operators "|", "&", "!" and the six comparisons.
#include "procedures.h"

namespace m4t4 {

/* Logicky_vyraz -> LV_1 Vnitrni_logicky_vyraz */
unsigned Logicky_vyraz() {
  if (!enterNesting()) return reportNestingTooDeep("Logicky_vyraz");
  unsigned s = LV_1();
  if (s == 0) s = Vnitrni_logicky_vyraz();
  --nestingDepth;
  return s;
}

/* Vnitrni_logicky_vyraz -> "|" LV_1 Vnitrni_logicky_vyraz | "&" LV_1 Vnitrni_logicky_vyraz | empty
 */
unsigned Vnitrni_logicky_vyraz() {
  while (is(kOr) || is(kAnd)) {
    Word op = token_buffer->word;
    Lex();
    if (unsigned s = LV_1()) return s;
    formOperator(op);
    if (unsigned s = applyOperator(op)) return s;
  }
  return 0;
}

/* LV_1 -> "!" LV_2 | LV_2 */
unsigned LV_1() {
  if (!is(kNot)) return LV_2();
  Lex();
  if (unsigned s = LV_2()) return s;
  formNegation();
  if (i2_priznak == 0) return 0;  // effects off: nothing to pop or check
  popInto(pom_a);
  if (!Je_cislo(pom_a.data())) return reportNotNumber("LV_1");
  pushTruth(toNumber(pom_a.data()) == 0.0);
  return 0;
}

/* LV_2 -> Aritmeticky_vyraz Vnitrni_LV_2 */
unsigned LV_2() {
  if (unsigned s = Aritmeticky_vyraz()) return s;
  return Vnitrni_LV_2();
}

/* Vnitrni_LV_2 -> op Aritmeticky_vyraz Vnitrni_LV_2 | empty, op one of < > = != <= >= */
unsigned Vnitrni_LV_2() {
  while (is(kLess) || is(kGreater) || is(kEqual) || is(kNotEqual) || is(kLessEqual) ||
         is(kGreaterEqual)) {
    Word op = token_buffer->word;
    Lex();
    if (unsigned s = Aritmeticky_vyraz()) return s;
    formOperator(op);
    if (unsigned s = applyOperator(op)) return s;
  }
  return 0;
}

}  // namespace m4t4
