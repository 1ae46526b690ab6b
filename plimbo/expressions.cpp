// Expressions: every factor pushes its value, every operator pops its two
// operands and pushes the result. Operands are numbers when MyIsdigit
// accepts their text; a value carries that answer and its number with it.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "procedures.h"

namespace plimbo {

namespace {

Value ops2;  // left operand, when fewer than two values are on the pushdown

// The operator chains of the grammar, loosest first.
enum class Chain { kNone, kLogic, kComparison, kSum, kProduct };

struct OperatorRow {
  Chain chain;            // the chain whose operator it is
  const char* procedure;  // the procedure its diagnostics name
  const char* textError;  // the problem when an operand is not numeric, or none
  const char* sizeError;  // the problem when a result is too long to write, or none
};

constexpr const char* kTooBig = "vysledek je prilis velky";

// The row of every operator word, kOr to kRemainder.
constexpr auto kOperators = [] {
  std::array<OperatorRow, kRemainder - kOr + 1> rows{};
  const auto row = [&rows](Word word, OperatorRow value) { rows[word - kOr] = value; };
  row(kOr, {Chain::kLogic, "overline A", "logicky soucet retezce?", nullptr});
  row(kAnd, {Chain::kLogic, "overline A", "logicky soucin retezce?", nullptr});
  for (Word word : {kLess, kGreater, kEqual, kNotEqual, kLessEqual, kGreaterEqual})
    row(word, {Chain::kComparison, "overline C", nullptr, nullptr});
  row(kPlus, {Chain::kSum, "overline D", nullptr, kTooBig});
  row(kMinus, {Chain::kSum, "overline D", "odcitani retezcu?", kTooBig});
  row(kTimes, {Chain::kProduct, "overline E", "nasobeni retezcu?", kTooBig});
  row(kDivide, {Chain::kProduct, "overline E", "deleni retezcu?", kTooBig});
  row(kRemainder, {Chain::kProduct, "overline E", "deleni retezcu?", kTooBig});
  return rows;
}();
static_assert(std::find_if(kOperators.begin(), kOperators.end(),
                           [](const OperatorRow& row) { return row.chain == Chain::kNone; }) == kOperators.end(),
              "a row for every operator");

// The row of an operator word.
constexpr const OperatorRow& rowOf(Word word) { return kOperators[std::size_t{word} - kOr]; }

// The chain of every word; kNone for the words that are no operator. Only
// operator words reach rowOf, so it needs no check.
constexpr auto kChainOfWord = [] {
  std::array<Chain, kWordCount> chains{};
  for (std::size_t word = 0; word < chains.size(); ++word)
    chains[word] = isOperatorWord(static_cast<Word>(word)) ? rowOf(static_cast<Word>(word)).chain : Chain::kNone;
  return chains;
}();

// The chain the token's operator belongs to.
inline Chain chainOf(const Token& token) { return kChainOfWord[token.word]; }

}  // namespace

bool numericResult(Word op, double l, double r, Value& result) {
  const double number = operateOn(op, l, r);
  if (isTruthOperator(op)) return formatTruth(number != 0, result), true;
  return formatNumber(number, result);
}

bool textResult(Word op, Value& left, Value& right, Value& result) {
  writeText(left);
  writeText(right);
  // strcmp promises only the sign of its result.
  const int order = std::strcmp(left.text.data(), right.text.data());
  switch (op) {
    case kLess: formatTruth(order < 0, result); return true;
    case kGreater: formatTruth(order > 0, result); return true;
    case kEqual: formatTruth(order == 0, result); return true;
    case kNotEqual: formatTruth(order != 0, result); return true;
    case kLessEqual: formatTruth(order <= 0, result); return true;
    case kGreaterEqual: formatTruth(order >= 0, result); return true;
    case kPlus: {
      // Joined and cut to a value text's length.
      if (&result != &left) copyValue(result, left);
      const std::size_t at = result.length;
      const std::size_t added = std::min<std::size_t>(right.length, kMaxValueLength - at);
      std::memcpy(result.text.data() + at, right.text.data(), added);
      result.text[at + added] = '\0';
      result.length = static_cast<std::uint8_t>(at + added);
      classify(result);
      return true;
    }
    default: return false;
  }
}

namespace {

// Applies op to left and right, writing the result into result (which may be
// left); prints the diagnostic and returns 1 when op does not apply.
unsigned compute(Word op, Value& left, Value& right, Value& result) {
  const OperatorRow& row = rowOf(op);
  if (left.numeric && right.numeric) {
    // A number whose "%f" text would be cut is refused rather than changed.
    if (!numericResult(op, left.number, right.number, result)) return reportProblem(row.procedure, "%s", row.sizeError);
  } else if (!textResult(op, left, right, result)) {
    return reportProblem(row.procedure, "%s", row.textError);
  }
  return 0;
}

// Pops right and left operand, applies op and pushes the result.
unsigned applyOperator(Word op) {
  // Suppressed effects: nothing would be popped, computed or pushed.
  if (if_flag == 0) return 0;
  PushdownRecord* right = Pushdown_root;
  if (right != nullptr && right->next != nullptr) {
    // Both operands are there: the result takes the left one's place.
    Value& left = right->next->value;
    if (unsigned status = compute(op, left, right->value, left)) return status;
    PD_drop();
    return 0;
  }
  // Fewer than two values (after a call without arguments): what the pops give.
  PD_popInto(ops1);
  PD_popInto(ops2);
  if (unsigned status = compute(op, ops2, ops1, PDAcces)) return status;
  PD_push();
  return 0;
}

// The loop of one operator chain: while the current token is one of the
// chain's operators, read the next operand with operand and apply it.
// Entered with the current token being the chain's first operator.
[[gnu::noinline]] unsigned chainLoop(Chain which, unsigned (*operand)()) {
  do {
    const Word op = tok_n->word;
    lex();
    if (unsigned status = operand()) return status;
    if (unsigned status = applyOperator(op)) return status;
    formOperator(op);
  } while (chainOf(*tok_n) == which);
  return 0;
}

// Most operands are followed by no operator of the chain: that test is inline.
inline unsigned chain(Chain which, unsigned (*operand)()) {
  return chainOf(*tok_n) == which ? chainLoop(which, operand) : 0;
}

}  // namespace

/* A -> B ovA */
unsigned A() {
  if (unsigned status = enterNesting("A")) return status;
  if (unsigned status = B()) return status;
  if (unsigned status = ovA()) return status;
  leaveNesting();
  return 0;
}

/* ovA -> ( "|" | "&" ) B ovA | empty */
unsigned ovA() { return chain(Chain::kLogic, B); }

/* B -> "!" C | C */
// Required: one "!" at most; "! ! 1" fails in F (expressions/errors/double_negation).
unsigned B() {
  if (tok_n->word != kNot) return C();
  lex();
  if (unsigned status = C()) return status;
  if (if_flag == 0) return 0;
  // The operand is replaced by its negation in place; none is the empty text.
  Value* operand = Pushdown_root != nullptr ? &Pushdown_root->value : nullptr;
  if (operand == nullptr || !operand->numeric)
    return reportProblem("B", "negace retezce?");
  formatTruth(operand->number == 0.0, *operand);
  formNegation();
  return 0;
}

/* C -> D ovC */
unsigned C() {
  if (unsigned status = D()) return status;
  return ovC();
}

/* ovC -> ( "<" | ">" | "=" | "!=" | "<=" | ">=" ) D ovC | empty */
// Required: comparisons chain from the left, 1 < 2 < 3 is (1 < 2) < 3
// (expressions/comparison).
unsigned ovC() { return chain(Chain::kComparison, D); }

/* D -> E ovD */
unsigned D() {
  if (unsigned status = E()) return status;
  return ovD();
}

/* ovD -> ( "+" | "-" ) E ovD | empty */
unsigned ovD() { return chain(Chain::kSum, E); }

/* E -> F ovE */
unsigned E() {
  if (unsigned status = F()) return status;
  return ovE();
}

/* ovE -> ( "*" | "/" | "%" ) F ovE | empty */
unsigned ovE() { return chain(Chain::kProduct, F); }

/* F -> "(" A ")" | number | string | variable | vol_fce */
unsigned F() {
  Token& token = *tok_n;
  if (token.word == kOpenParen) {
    lex();
    if (unsigned status = A()) return status;
    if (tok_n->word != kCloseParen) return syntaxError("F", "\")\"");
    lex();
    return 0;
  }
  if (token.type == kNumber || token.type == kString) {
    if (Value* slot = PD_pushSlot()) valueOfToken(*slot, token);
    formOperand(token, nullptr);
  } else if (token.type == kVariable) {
    // While effects are suppressed the variable is neither read nor created.
    SymbolRecord* record = if_flag != 0 ? lookUp(token) : nullptr;
    if (record != nullptr) {
      if (Value* slot = PD_pushSlot()) loadValue(*slot, *record);
    }
    if (record != nullptr) formOperand(token, record);
    else formRefuse();  // no record: the run has stopped
  } else if (token.type == kCallName) {
    return vol_fce();
  } else {
    return syntaxError("F", "\"cislo, retezec, promenna nebo volani fce\"");
  }
  lex();
  return 0;
}

}  // namespace plimbo
