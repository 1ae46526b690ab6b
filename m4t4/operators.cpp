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

// The table by word, built once.
struct OperatorsByWord {
  const OperatorInfo* byWord[kCloseBrace + 1] = {};
  constexpr OperatorsByWord() {
    for (const OperatorInfo& info : kOperators) byWord[info.word] = &info;
  }
};
constexpr OperatorsByWord kOperatorsByWord;

const OperatorInfo& infoOf(Word word) { return *kOperatorsByWord.byWord[word]; }

}  // namespace

bool numericOperands() { return Je_cislo(pom_a.data()) && Je_cislo(pom_b.data()); }

[[gnu::flatten]] void pushTruth(bool value) {
  if (StackNode* node = newValueNode()) {
    node->text[0] = value ? '1' : '0';
    node->text[1] = '\0';
    node->length = 1;
    node->number = {true, value ? 1.0 : 0.0};
  }
}

unsigned pushNumber(double value, const char* rule) {
  StackNode* node = newValueNode();
  if (node == nullptr) return 0;
  int length = formatFixed(value, node->text.data(), kValueSize);
  if (length >= static_cast<int>(kValueSize)) {  // a cut "%f" text would be another number
    dropValues(1);
    return reportTooLarge(rule);
  }
  node->length = static_cast<std::size_t>(length);
  // A whole number's "%f" text is exact, so reading it back gives `value`.
  bool exact = std::fabs(value) < 1e18 &&
               value == static_cast<double>(static_cast<std::int64_t>(value));
  node->number = {exact, value};
  return 0;
}

namespace {

// The operator on operands of which `numbers` says whether both are numeric
// text, `left` and `right` their numbers then; the texts are in pom_b and
// pom_a where they are needed.
unsigned compute(Word word, const OperatorInfo& info, bool numbers, double left, double right) {
  if (info.needsNumbers && !numbers) return reportNotNumber(info.rule);
  switch (word) {
    case kOr: pushTruth(left != 0.0 || right != 0.0); return 0;
    case kAnd: pushTruth(left != 0.0 && right != 0.0); return 0;
    case kPlus:
      if (numbers) return pushNumber(left + right, info.rule);
      copyText(hodnota_zas, pom_b.data());
      appendText(hodnota_zas, pom_a.data());
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

}  // namespace

unsigned applyOperator(Word word) {
  // While effects are off nothing is popped or pushed and no type error
  // arises: skipped code is only parsed.
  if (i2_priznak == 0) return 0;
  const OperatorInfo& info = infoOf(word);
  // Both operands' numbers known: their texts are not needed.
  StackNode* right = vrchol_zas;
  StackNode* left = right != nullptr ? right->next : nullptr;
  if (left != nullptr && left->number.known && right->number.known) {
    double l = left->number.value;
    double r = right->number.value;
    dropValues(2);
    return compute(word, info, true, l, r);
  }
  KnownNumber r = popInto(pom_a);  // the right operand is on top
  KnownNumber l = popInto(pom_b);
  bool numbers = numericOperands();
  double leftNumber = !numbers ? 0 : l.known ? l.value : toNumber(pom_b.data());
  double rightNumber = !numbers ? 0 : r.known ? r.value : toNumber(pom_a.data());
  return compute(word, info, numbers, leftNumber, rightNumber);
}

}  // namespace m4t4
