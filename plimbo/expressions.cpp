// Expressions: every factor pushes its value text, every operator pops its
// two operands and pushes the result. Operands are numbers when MyIsdigit
// accepts their text.
#include <cmath>
#include <cstdlib>

#include "procedures.h"

namespace plimbo {

namespace {

enum Operator {
  kOr,
  kAnd,
  kLess,
  kGreater,
  kEqual,
  kNotEqual,
  kLessEqual,
  kGreaterEqual,
  kPlus,
  kMinus,
  kTimes,
  kDivide,
  kRemainder,
  kOperatorCount,
};

struct OperatorRow {
  const char* text;       // the operator's token text
  const char* textError;  // diagnostic when an operand is not numeric, or none
};

constexpr OperatorRow kOperators[] = {
    {"|", "(overline A)Chyba (%lld), logicky soucet retezce?\n"},
    {"&", "(overline A)Chyba (%lld), logicky soucin retezce?\n"},
    {"<", nullptr},
    {">", nullptr},
    {"=", nullptr},
    {"!=", nullptr},
    {"<=", nullptr},
    {">=", nullptr},
    {"+", nullptr},
    {"-", "(overline D)Chyba (%lld), odcitani retezcu?\n"},
    {"*", "(overline E)Chyba (%lld), nasobeni retezcu?\n"},
    {"/", "(overline E)Chyba (%lld), deleni retezcu?\n"},
    {"%", "(overline E)Chyba (%lld), deleni retezcu?\n"},
};
static_assert(std::size(kOperators) == kOperatorCount, "one row per operator");

// The operator among first..last whose text the current token has, or -1.
int matchOperator(Operator first, Operator last) {
  for (int op = first; op <= last; ++op)
    if (isText(kOperators[op].text)) return op;
  return -1;
}

void formatTruth(bool value) { std::snprintf(PDAcces.data(), PDAcces.size(), "%d", value ? 1 : 0); }
// Writes value with "%f"; false when the text does not fit a value text.
bool formatNumber(double value) {
  const int length = std::snprintf(PDAcces.data(), PDAcces.size(), "%f", value);
  return length >= 0 && static_cast<std::size_t>(length) < PDAcces.size();
}

// Writes the result of op on two numbers into PDAcces; false when an
// arithmetic result is too long to be written in full.
bool numericResult(int op, double l, double r) {
  switch (op) {
    case kOr: return formatTruth(l != 0 || r != 0), true;
    case kAnd: return formatTruth(l != 0 && r != 0), true;
    case kLess: return formatTruth(l < r), true;
    case kGreater: return formatTruth(l > r), true;
    case kEqual: return formatTruth(l == r), true;
    case kNotEqual: return formatTruth(l != r), true;
    case kLessEqual: return formatTruth(l <= r), true;
    case kGreaterEqual: return formatTruth(l >= r), true;
    case kPlus: return formatNumber(l + r);
    case kMinus: return formatNumber(l - r);
    case kTimes: return formatNumber(l * r);
    case kDivide: return formatNumber(l / r);
    default: return formatNumber(std::fmod(l, r));
  }
}

// Result of a comparison or concatenation on texts; false when the operator
// does not apply to texts.
bool textResult(int op) {
  int order = std::strcmp(ops2.data(), ops1.data());
  switch (op) {
    case kLess: formatTruth(order < 0); return true;
    case kGreater: formatTruth(order > 0); return true;
    case kEqual: formatTruth(order == 0); return true;
    case kNotEqual: formatTruth(order != 0); return true;
    case kLessEqual: formatTruth(order <= 0); return true;
    case kGreaterEqual: formatTruth(order >= 0); return true;
    case kPlus:
      copy_text(PDAcces, ops1.data(), copy_text(PDAcces, ops2.data()));
      return true;
    default: return false;
  }
}

// Pops right and left operand, applies op and pushes the result.
unsigned applyOperator(int op) {
  PD_pop();
  copy_text(ops1, PDAcces.data());
  PD_pop();
  copy_text(ops2, PDAcces.data());
  if (if_flag == 0) return 0;
  if (MyIsdigit(ops1.data()) && MyIsdigit(ops2.data())) {
    // A number whose "%f" text would be cut is refused rather than changed.
    if (!numericResult(op, std::atof(ops2.data()), std::atof(ops1.data())))
      return diagnose(op == kPlus || op == kMinus ? "(overline D)Chyba (%lld), vysledek je prilis velky\n"
                                   : "(overline E)Chyba (%lld), vysledek je prilis velky\n",
                      line());
  } else if (!textResult(op)) {
    return diagnose(kOperators[op].textError, line());
  }
  PD_push();
  return 0;
}

// The loop of one operator chain: while the current token is one of the
// chain's operators, read the next operand with operand and apply it.
unsigned chain(Operator first, Operator last, unsigned (*operand)()) {
  for (int op = matchOperator(first, last); op >= 0; op = matchOperator(first, last)) {
    lex();
    if ((SAError = operand()) != 0) return SAError;
    if ((SAError = applyOperator(op)) != 0) return SAError;
  }
  return 0;
}

}  // namespace

/* A -> B ovA */
unsigned A() {
  if ((SAError = enterNesting("A")) != 0) return SAError;
  if ((SAError = B()) != 0 || (SAError = ovA()) != 0) return SAError;
  leaveNesting();
  return 0;
}

/* ovA -> ( "|" | "&" ) B ovA | empty */
unsigned ovA() { return chain(kOr, kAnd, B); }

/* B -> "!" C | C */
unsigned B() {
  if (!isText("!")) return SAError = C();
  lex();
  if ((SAError = C()) != 0) return SAError;
  PD_pop();
  copy_text(ops1, PDAcces.data());
  if (if_flag == 0) return 0;
  if (!MyIsdigit(ops1.data())) return diagnose("(B)Chyba (%lld), negace retezce?\n", line());
  formatTruth(std::atof(ops1.data()) == 0.0);
  PD_push();
  return 0;
}

/* C -> D ovC */
unsigned C() {
  if ((SAError = D()) != 0) return SAError;
  return SAError = ovC();
}

/* ovC -> ( "<" | ">" | "=" | "!=" | "<=" | ">=" ) D ovC | empty */
unsigned ovC() { return chain(kLess, kGreaterEqual, D); }

/* D -> E ovD */
unsigned D() {
  if ((SAError = E()) != 0) return SAError;
  return SAError = ovD();
}

/* ovD -> ( "+" | "-" ) E ovD | empty */
unsigned ovD() { return chain(kPlus, kMinus, E); }

/* E -> F ovE */
unsigned E() {
  if ((SAError = F()) != 0) return SAError;
  return SAError = ovE();
}

/* ovE -> ( "*" | "/" | "%" ) F ovE | empty */
unsigned ovE() { return chain(kTimes, kRemainder, F); }

/* F -> "(" A ")" | number | string | variable | vol_fce */
unsigned F() {
  if (isText("(")) {
    lex();
    if ((SAError = A()) != 0) return SAError;
    if (!isText(")")) return syntaxError("F", "\")\"");
    lex();
    return 0;
  }
  if (tok_n.type == kNumber || tok_n.type == kString) {
    copy_text(PDAcces, tok_n.text.data());
  } else if (tok_n.type == kVariable) {
    copy_text(STAcces, tok_n.text.data());
    ST_getValue();
    copy_text(PDAcces, STAcces.data());
  } else if (tok_n.type == kCallName) {
    return SAError = vol_fce();
  } else {
    return syntaxError("F", "\"cislo, retezec, promenna nebo volani fce\"");
  }
  PD_push();
  lex();
  return 0;
}

}  // namespace plimbo
