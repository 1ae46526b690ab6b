// The operators of expressions: one table says which rule reports each one
// and whether it needs numeric text; applyOperator pops the operands,
// checks them and pushes the result.
#include <cmath>
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

namespace {

// Makes `node` the truth value "1" or "0".
void setTruth(StackNode& node, bool value) {
  node.text[0] = value ? '1' : '0';
  node.text[1] = '\0';
  node.length = 1;
  node.number = {true, false, value ? 1.0 : 0.0};
}

}  // namespace

void pushTruth(bool value) {
  if (StackNode* node = newValueNode()) setTruth(*node, value);
}

namespace {

// setNumber of a number that is not whole (or too large): its text now.
[[gnu::noinline]] unsigned setFormattedNumber(StackNode& node, double value, const char* rule) {
  int length = formatNumber(value, node.text.data(), kValueSize, node.number);
  if (length >= static_cast<int>(kValueSize)) {  // a cut "%f" text would be another number
    dropValues(1);
    return reportTooLarge(rule);
  }
  node.length = static_cast<std::size_t>(length);
  return 0;
}

}  // namespace

unsigned setNumber(StackNode& node, double value, const char* rule) {
  // A whole number's "%f" text is exact, so reading it back gives `value`;
  // it is written only when a text is wanted.
  if (keepsNumber(value)) {
    node.text[0] = '\0';
    node.length = 0;
    node.number = {true, true, value};
    return 0;
  }
  return setFormattedNumber(node, value, rule);
}

unsigned pushNumber(double value, const char* rule) {
  StackNode* node = newValueNode();
  if (node == nullptr) return 0;
  return setNumber(*node, value, rule);
}

namespace {

// (Apart, so that the other operators call nothing.)
[[gnu::noinline]] unsigned setRemainder(StackNode& node, double left, double right,
                                        const char* rule) {
  return setNumber(node, remainderOf(left, right), rule);
}

// Writes the result of the operator on two numeric operands, of numbers
// `left` and `right`, into `node`, the top of the stack.
unsigned computeNumbers(Word word, const OperatorInfo& info, StackNode& node, double left,
                        double right) {
  switch (word) {
    case kOr: setTruth(node, left != 0.0 || right != 0.0); return 0;
    case kAnd: setTruth(node, left != 0.0 && right != 0.0); return 0;
    case kPlus: return setNumber(node, left + right, info.rule);
    case kMinus: return setNumber(node, left - right, info.rule);
    case kTimes: return setNumber(node, left * right, info.rule);
    case kDivide: return setNumber(node, left / right, info.rule);
    case kModulo: return setRemainder(node, left, right, info.rule);
    // A NaN operand makes the pair unordered: every comparison is false
    // except "!=".
    case kLess: setTruth(node, left < right); return 0;
    case kGreater: setTruth(node, left > right); return 0;
    case kEqual: setTruth(node, left == right); return 0;
    case kNotEqual: setTruth(node, left != right); return 0;
    case kLessEqual: setTruth(node, left <= right); return 0;
    default: setTruth(node, left >= right); return 0;
  }
}

// The operator on texts that are not both numeric text, in pom_b (left) and
// pom_a (right): "+" joins them, the comparisons order them as strcmp does
// (only the sign counts); the other operators need numbers.
unsigned computeTexts(Word word, const OperatorInfo& info) {
  if (info.needsNumbers) return reportNotNumber(info.rule);
  if (word == kPlus) {
    copyText(hodnota_zas, pom_b.data());
    appendText(hodnota_zas, pom_a.data());
    Vloz_do_zas();
    return 0;
  }
  int order = std::strcmp(pom_b.data(), pom_a.data());
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

// applyOperator on operands whose numbers are not both known: by their texts.
[[gnu::noinline]] unsigned applyToTexts(Word word, const OperatorInfo& info) {
  KnownNumber r = popInto(pom_a);  // the right operand is on top
  KnownNumber l = popInto(pom_b);
  if (!numericOperands()) return computeTexts(word, info);
  double leftNumber = l.known ? l.value : toNumber(pom_b.data());
  double rightNumber = r.known ? r.value : toNumber(pom_a.data());
  StackNode* node = newValueNode();
  if (node == nullptr) return 0;
  return computeNumbers(word, info, *node, leftNumber, rightNumber);
}

}  // namespace

[[gnu::noinline]] unsigned applyOperator(Word word) {
  // While effects are off nothing is popped or pushed and no type error
  // arises: skipped code is only parsed.
  if (i2_priznak == 0) return 0;
  const OperatorInfo& info = infoOf(word);
  // Both operands' numbers known: their texts are not needed, and the
  // result takes the left operand's place.
  StackNode* right = vrchol_zas;
  StackNode* left = right != nullptr ? right->next : nullptr;
  if (left == nullptr || !left->number.known || !right->number.known) {
    return applyToTexts(word, info);
  }
  double r = right->number.value;
  dropValues(1);
  return computeNumbers(word, info, *left, left->number.value, r);
}

}  // namespace m4t4
