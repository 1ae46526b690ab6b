// The operators of expressions: one table says which rule reports each one
// and whether it needs numeric text; applyOperator pops the operands,
// checks them and pushes the result.
#include <cmath>
#include <compare>
#include <cstring>

#include "procedures.h"

namespace m4t4 {
namespace {

struct OperatorInfo {
  Word word;
  const char* rule;   // the grammar rule named in the operator's messages
  bool needsNumbers;  // both operands must be numeric text
};

constexpr OperatorInfo kOperators[] = {
    {kOr, "Vnitrni_logicky_vyraz", true},     {kAnd, "Vnitrni_logicky_vyraz", true},
    {kLess, "Vnitrni_LV_2", false},           {kGreater, "Vnitrni_LV_2", false},
    {kEqual, "Vnitrni_LV_2", false},          {kNotEqual, "Vnitrni_LV_2", false},
    {kLessEqual, "Vnitrni_LV_2", false},      {kGreaterEqual, "Vnitrni_LV_2", false},
    {kPlus, "Vnitrni_aritmeticky_vyraz", false}, {kMinus, "Vnitrni_aritmeticky_vyraz", true},
    {kTimes, "Vnitrni_term", true},           {kDivide, "Vnitrni_term", true},
    {kModulo, "Vnitrni_term", true},
};

const OperatorInfo& infoOf(Word word) {
  for (const OperatorInfo& info : kOperators) {
    if (info.word == word) return info;
  }
  return kOperators[0];  // not reached: callers pass operators of the table
}

}  // namespace

bool numericOperands() { return Je_cislo(pom_a.data()) && Je_cislo(pom_b.data()); }

void pushTruth(bool value) {
  hodnota_zas[0] = value ? '1' : '0';
  hodnota_zas[1] = '\0';
  Vloz_do_zas();
}

unsigned pushNumber(double value, const char* rule) {
  int length = formatFixed(value, hodnota_zas.data(), hodnota_zas.size());
  // A cut "%f" text would be another number.
  if (length >= static_cast<int>(hodnota_zas.size())) return chyba_velky(rule);
  Vloz_do_zas();
  return 0;
}

unsigned applyOperator(Word word) {
  // While effects are off nothing is popped or pushed and no type error
  // arises: skipped code is only parsed.
  if (i2_priznak == 0) return 0;
  popInto(pom_a);  // the right operand is on top
  popInto(pom_b);
  const OperatorInfo& info = infoOf(word);
  bool numbers = numericOperands();
  if (info.needsNumbers && !numbers) return chyba_cislo(info.rule);
  double left = numbers ? toNumber(pom_b.data()) : 0;
  double right = numbers ? toNumber(pom_a.data()) : 0;
  switch (word) {
    case kOr: pushTruth(left != 0.0 || right != 0.0); return 0;
    case kAnd: pushTruth(left != 0.0 && right != 0.0); return 0;
    case kPlus:
      if (numbers) return pushNumber(left + right, info.rule);
      kopiruj(hodnota_zas, pom_b.data());
      pripoj(hodnota_zas, pom_a.data());
      Vloz_do_zas();
      return 0;
    case kMinus: return pushNumber(left - right, info.rule);
    case kTimes: return pushNumber(left * right, info.rule);
    case kDivide: return pushNumber(left / right, info.rule);
    case kModulo: return pushNumber(std::fmod(left, right), info.rule);
    default: break;
  }
  // The comparisons: left against right as numbers when both are numeric
  // text, otherwise as strcmp orders the bytes, of which only the sign is
  // used. A NaN operand makes the pair unordered, which no text pair can be,
  // and every comparison false except "!=".
  std::partial_ordering order =
      numbers ? left <=> right : std::strcmp(pom_b.data(), pom_a.data()) <=> 0;
  switch (word) {
    case kLess: pushTruth(order < 0); break;
    case kGreater: pushTruth(order > 0); break;
    case kEqual: pushTruth(order == 0); break;
    case kNotEqual: pushTruth(order != 0); break;
    case kLessEqual: pushTruth(order <= 0); break;
    default: pushTruth(order >= 0); break;
  }
  return 0;
}

}  // namespace m4t4
