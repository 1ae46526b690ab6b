// Loop forms: the builder, which notes an expression in postfix order while
// a loop's first pass parses it from the source, and the runner, which runs
// that form on the variables' values during the loop's replays instead of
// the grammar procedures; and the forms of blocks, which let a replay that
// reads a block with effects off go on from its "}", and, when a block holds
// only assignments that have forms and conditionals whose condition has one
// (a straight block), chain their forms, so that a replay with effects on
// runs them without reading a token (runStatements, passesByForm in
// loop.cpp). A conditional's form names its condition's and its blocks': a
// replay runs the block it takes by that block's chain where it is straight
// (else the grammar reads it, from its first statement) and passes over the
// other.
//
// A form runs only when it can show that the grammar would compute the same:
// effects are on; the value stack would take every value the expression
// pushes without a refusal and without allocating (valueStackHasRoom); and
// either every variable's number is known (its text is numeric and atof of
// it is that number) and every operator's result is what the grammar's value
// would hold as its number: a truth value, or an arithmetic result that
// setNumber keeps (a whole number, keepsNumber, or a fraction whose text it
// leaves pending, keptFraction); or the form is one the grammar's own store
// and operator functions work out on the value stack: a lone operand, pushed
// with its text as Faktor pushes it, or two operands and an operator that
// takes texts, applied by applyOperator as the grammar applies it (an
// assignment that joins two texts stores the join as that path leaves it,
// without the stack: joinByForm). For
// anything else the form gives up before it has changed anything, and the
// grammar parses the recorded tokens as before, reporting whatever it
// reports at the same token.
//
// With both operands' numbers known, applyOperator reads neither their texts
// nor any exchange buffer, and popTruth reads the condition's number alone:
// the one exchange buffer the grammar writes on that path is pom_a, which
// "!" fills with its operand's text. The runner writes pom_a as the last
// "!" would have left it. On the value stack, the grammar's functions write
// what they write; a join writes pom_a, pom_b and hodnota_zas as they do.
#include <new>

#include "arena.h"
#include "hooks.h"
#include "procedures.h"

namespace m4t4 {

static_assert(sizeof(Form) % alignof(FormStep) == 0, "the steps follow the form in one block");

namespace {
// The forms of the outermost loop's recording, one after another in the
// order they were noted (a replay of a straight block reads them in that
// order).
Arena formArena;
}  // namespace

void formsRelease() { formArena.release(); }

#if LOOP_FORMS

namespace {

// The form being noted (while formNoting).
struct Builder {
  TokenNode* start = nullptr;  // the node of its first token
  std::size_t recorded = 0;    // recordedCount() there
  std::size_t count = 0;       // steps noted
  std::size_t depth = 0;       // values the grammar holds now
  std::size_t maxDepth = 0;    // the most it has held
  FormStep steps[kMaxFormSteps];
};
Builder builder;

// Appends a step; a form that would grow too long is given up.
FormStep* addStep(FormStep::Kind kind) {
  if (builder.count == kMaxFormSteps) {
    formNoting = false;
    return nullptr;
  }
  FormStep& step = builder.steps[builder.count++];
  step.kind = kind;
  step.op = kNoWord;
  step.constant = 0;
  step.literal = nullptr;
  return &step;
}

}  // namespace

void noteBegin() {
  TokenNode* node = recordedNode();
  if (i2_priznak == 0 || node == nullptr) return;
  formNoting = true;
  builder.start = node;
  builder.recorded = recordedCount();
  builder.count = 0;
  builder.depth = 0;
  builder.maxDepth = 0;
}

void noteOperand(const Token& token, const TableRecord* record) {
  const bool variable = token.tokenClass == kVariable;
  // A literal is pushed from its recorded token, text and all.
  TokenNode* node = variable ? nullptr : recordedNode();
  if (variable ? record == nullptr : node == nullptr) {
    formNoting = false;
    return;
  }
  FormStep* step = addStep(variable                ? FormStep::kVariable
                           : token.number.known ? FormStep::kConstant
                                                : FormStep::kText);
  if (step == nullptr) return;
  if (variable) {
    step->record = record;
  } else {
    step->constant = token.number.value;
    step->literal = &node->token;
  }
  builder.maxDepth = std::max(builder.maxDepth, ++builder.depth);
}

void noteOperator(Word op) {
  if (FormStep* step = addStep(FormStep::kOperator)) step->op = op;
  --builder.depth;
}

void noteNegation() {
  // The text of a literal that "!" takes (into pom_a) is not kept.
  if (builder.count == 0 || builder.steps[builder.count - 1].kind == FormStep::kConstant ||
      builder.steps[builder.count - 1].kind == FormStep::kText) {
    formNoting = false;
    return;
  }
  addStep(FormStep::kNegation);
}

namespace {

// A form that can run: a text literal is an operand of nothing but an
// operator that takes texts, alone with the other operand (else the grammar
// reports it, or its form would never run).
bool runnable() {
  if (builder.count == 1) return true;
  const bool texts = builder.count == 3 && builder.steps[2].kind == FormStep::kOperator &&
                     takesTexts(builder.steps[2].op);
  for (std::size_t i = 0; i < builder.count; ++i) {
    if (builder.steps[i].kind == FormStep::kText && !texts) return false;
  }
  return true;
}

}  // namespace

void noteEnd(TableRecord* target, unsigned status) {
  formNoting = false;
  if (status != 0 || builder.count == 0 || !runnable()) return;
  TokenNode* resume = recordedNode();
  TokenNode* start = builder.start;
  if (resume == nullptr || start->token.form != nullptr) return;
  void* block = formArena.allocate(sizeof(Form) + builder.count * sizeof(FormStep), alignof(Form));
  if (block == nullptr) return;  // no memory: no form, and no message
  auto* steps = reinterpret_cast<FormStep*>(static_cast<Form*>(block) + 1);
  for (std::size_t i = 0; i < builder.count; ++i) new (&steps[i]) FormStep(builder.steps[i]);
  // (Every token from the first to resume was recorded in turn; counted
  // modulo 2^32, their difference is exact.)
  const auto tokens = static_cast<uint32_t>(recordedCount()) - static_cast<uint32_t>(builder.recorded);
  start->token.form = new (block) Form{Form::kExpression,
                                       false,
                                       static_cast<uint16_t>(builder.maxDepth),
                                       static_cast<uint16_t>(builder.count),
                                       0,
                                       tokens,
                                       target,
                                       resume,
                                       start,
                                       nullptr,
                                       steps};
}

TokenNode* noteBlockOpen() {
  TokenNode* open = recordedNode();
  if (open == nullptr || open->token.form != nullptr) return nullptr;
  void* block = formArena.allocate(sizeof(Form), alignof(Form));
  if (block == nullptr) return nullptr;
  // Until its "}" is read, tokens holds the count of recorded tokens at its
  // "{" and resume none: a block whose read failed is never skipped.
  open->token.form = new (block) Form{Form::kBlock,
                                      false,
                                      0,
                                      0,
                                      nestingDepth,
                                      static_cast<uint32_t>(recordedCount()),
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr};
  return open;
}

namespace {

// Conditionals nested one in another that a straight block may hold: a
// replay runs each level in a frame of runStatements and one of its
// conditional's, and this keeps their stack small whatever the nesting.
constexpr uint16_t kMaxConditionalDepth = 16;

// The form of the block whose "{" is node, once its "}" is read.
const Form* blockAt(const TokenNode* node) {
  const Form* form = node != nullptr ? node->token.form : nullptr;
  return form != nullptr && form->kind == Form::kBlock && form->resume != nullptr ? form : nullptr;
}

// Notes the form of the conditional whose "i2" is node, in a block read on a
// loop's first pass, once both its blocks have theirs: the forms of its
// condition and its blocks, and where its ";" is. None where its condition
// has no form (it was read with effects off), where it nests too deep, or
// where there is no memory for it.
const Form* formConditional(TokenNode* node) {
  // "i2" "(" Logicky_vyraz ")" Blok ["e2" Blok] "i2_end" ";", as If has read it.
  const TokenNode* start = node->next != nullptr ? node->next->next : nullptr;
  const Form* condition = start != nullptr ? start->token.form : nullptr;
  if (condition == nullptr || condition->kind != Form::kExpression || condition->target != nullptr) return nullptr;
  const Form* then = blockAt(condition->resume->next);
  if (then == nullptr) return nullptr;
  const Form* otherwise = nullptr;
  const TokenNode* after = then->resume->next;
  std::size_t tokens = std::size_t{condition->tokens} + then->tokens + 5;
  if (after != nullptr && after->token.word == kE2) {
    otherwise = blockAt(after->next);
    if (otherwise == nullptr || otherwise->nesting != then->nesting) return nullptr;
    after = otherwise->resume->next;
    tokens += std::size_t{otherwise->tokens} + 2;
  }
  TokenNode* end = after != nullptr && after->token.word == kI2End ? after->next : nullptr;
  if (end == nullptr || end->token.tokenClass != kSemicolon || tokens > UINT32_MAX) return nullptr;
  const uint16_t depth = static_cast<uint16_t>(1 + std::max(then->depth, otherwise != nullptr ? otherwise->depth
                                                                                               : uint16_t{0}));
  if (depth > kMaxConditionalDepth) return nullptr;
  void* block = formArena.allocate(sizeof(Form) + 3 * sizeof(const Form*), alignof(Form));
  if (block == nullptr) return nullptr;  // no memory: no form, and no message
  auto* parts = reinterpret_cast<const Form**>(static_cast<Form*>(block) + 1);
  parts[0] = condition;
  parts[1] = then;
  parts[2] = otherwise;
  const Form* form = new (block) Form{Form::kConditional, false, depth, 0, then->nesting,
                                      static_cast<uint32_t>(tokens), nullptr, end, node, nullptr, nullptr};
  node->token.form = form;
  return form;
}

}  // namespace

void noteBlockClose(TokenNode* open) {
  TokenNode* close = recordedNode();
  if (close == nullptr) return;
  // (The forms are this file's own allocations.)
  auto* form = const_cast<Form*>(open->token.form);
  form->tokens = static_cast<uint32_t>(recordedCount()) - form->tokens;
  form->resume = close;
  form->first = open->next;
  // Straight: each statement an assignment with a form or a conditional with
  // one, the next one after its ";", up to the "}". Its statements' forms are
  // chained.
  const Form* first = nullptr;
  Form* last = nullptr;
  uint16_t depth = 0;
  TokenNode* node = open->next;
  while (node != close && node != nullptr) {
    const Form* noted = node->token.form;
    if (noted == nullptr && node->token.word == kI2) noted = formConditional(node);
    if (!isAssignment(noted) && (noted == nullptr || noted->kind != Form::kConditional)) break;
    auto* statement = const_cast<Form*>(noted);
    if (statement->kind == Form::kConditional) depth = std::max(depth, statement->depth);
    if (last != nullptr)
      last->statement = statement;
    else
      first = statement;
    last = statement;
    node = statement->resume->next;
  }
  form->straight = node == close;
  if (last != nullptr) last->statement = nullptr;
  form->statement = form->straight ? first : nullptr;
  form->depth = form->straight ? depth : 0;
}

bool skipBlock(const Form& form) {
  if (form.kind != Form::kBlock || form.resume == nullptr || form.nesting != nestingDepth ||
      !replayHasRoom(form.tokens)) {
    return false;
  }
  replayFrom(form.resume, form.tokens);
  return true;
}

namespace {

// A form's value.
struct Result {
  double value = 0;
  bool truth = false;                 // a truth value ("1" or "0"), else a kept arithmetic result
  const FormStep* negated = nullptr;  // the step whose value the last "!" took, if any
  double negatedValue = 0;            // that value
};

// What every form needs before it runs: effects on, and room for what the
// grammar would push and replay.
inline bool mayRun(const Form& form) {
  return form.kind == Form::kExpression && i2_priznak != 0 && valueStackHasRoom(form.depth) &&
         replayHasRoom(form.tokens);
}

// Whether setNumber keeps the arithmetic result value, a fraction, as its
// number with its text left pending; value becomes that number (the one its
// "%f" text reads back as).
[[gnu::noinline]] bool keptFraction(double& value) {
  char text[32];
  KnownNumber number;
  formatNumber(value, text, sizeof text, number);
  if (!number.textPending) return false;
  value = number.value;
  return true;
}

// remainderOf, apart: the other operators call nothing.
[[gnu::noinline]] double remainder(double left, double right) { return remainderOf(left, right); }

// Applies an operator to the numbers left and right, leaving its result in
// left; false where the grammar's value would not keep it as its number.
inline bool operate(Word op, double& left, double right, bool& truth) {
  bool holds = true;
  switch (op) {
    case kOr: holds = left != 0.0 || right != 0.0; break;
    case kAnd: holds = left != 0.0 && right != 0.0; break;
    case kLess: holds = left < right; break;
    case kGreater: holds = left > right; break;
    case kEqual: holds = left == right; break;
    case kNotEqual: holds = left != right; break;
    case kLessEqual: holds = left <= right; break;
    case kGreaterEqual: holds = left >= right; break;
    default: {
      const double value = op == kPlus     ? left + right
                           : op == kMinus  ? left - right
                           : op == kTimes  ? left * right
                           : op == kDivide ? left / right
                                           : remainder(left, right);
      left = value;
      truth = false;
      return keepsNumber(value) || keptFraction(left);
    }
  }
  left = holds ? 1.0 : 0.0;
  truth = true;
  return true;
}

// An operand's number, where it is known.
inline bool operandNumber(const FormStep& step, double& number) {
  if (step.kind == FormStep::kConstant) {
    number = step.constant;
    return true;
  }
  if (step.kind != FormStep::kVariable || !step.record->known) return false;
  number = step.record->number;
  return true;
}

// evaluate for a form of any shape, on a stack of numbers.
[[gnu::noinline]] bool evaluateSteps(const Form& form, Result& result) {
  const FormStep* const steps = form.steps;
  double stack[kMaxFormSteps];
  std::size_t top = 0;
  for (const FormStep* step = steps; step != steps + form.count; ++step) {
    switch (step->kind) {
      case FormStep::kConstant:
      case FormStep::kVariable:
      case FormStep::kText:
        if (!operandNumber(*step, stack[top++])) return false;
        break;
      case FormStep::kNegation:
        result.negated = step - 1;
        result.negatedValue = stack[top - 1];
        stack[top - 1] = stack[top - 1] == 0.0 ? 1.0 : 0.0;
        result.truth = true;
        break;
      case FormStep::kOperator: {
        const double right = stack[--top];
        if (!operate(step->op, stack[top - 1], right, result.truth)) return false;
        break;
      }
    }
  }
  result.value = stack[0];
  return true;
}

// Runs the form on numbers; false (nothing changed) when the grammar must.
// The most common shape, two operands and an operator, takes no stack.
inline bool evaluate(const Form& form, Result& result) {
  const FormStep* const steps = form.steps;
  if (form.count != 3 || steps[2].kind != FormStep::kOperator) return evaluateSteps(form, result);
  double left, right;
  if (!operandNumber(steps[0], left) || !operandNumber(steps[1], right) ||
      !operate(steps[2].op, left, right, result.truth))
    return false;
  result.value = left;
  return true;
}

// pom_a as the last "!" left it: the text of the value it took.
void writeNegated(const Result& result) {
  const FormStep& step = *result.negated;
  const bool truth = step.kind == FormStep::kNegation ||
                     (step.kind == FormStep::kOperator && step.op != kPlus && step.op != kMinus &&
                      step.op != kTimes && step.op != kDivide && step.op != kModulo);
  if (truth) {
    copyText(pom_a, result.negatedValue != 0.0 ? "1" : "0");
  } else if (step.kind == FormStep::kVariable && !step.record->textPending) {
    const std::size_t length = std::min<std::size_t>(step.record->length, pom_a.size() - 1);
    std::memcpy(pom_a.data(), step.record->text(), length);
    pom_a[length] = '\0';
  } else {  // a whole number whose text is still to be written
    formatFixed(result.negatedValue, pom_a.data(), pom_a.size());
  }
}

// The forms whose value the grammar's own functions may work out on the
// value stack, where the numbers cannot: a lone operand, and two operands and
// an operator.
inline bool onStack(const Form& form) {
  return form.count == 1 || (form.count == 3 && form.steps[2].kind == FormStep::kOperator);
}

// Pushes an operand as Faktor does (pushVariable, or the literal's token).
inline void pushOperand(const FormStep& step) {
  if (step.kind == FormStep::kVariable) {
    pushValue(step.record->text(), step.record->length, step.record->knownNumber());
  } else {
    pushValue(step.literal->text.data(), step.literal->length, step.literal->number);
  }
}

// An operand's value is numeric text, as the operators test it, or its
// number is known (",5" is a known number whose text the test does not
// take: a "+" of it then goes to the grammar, which is always exact).
inline bool numericText(const FormStep& step) {
  if (step.kind == FormStep::kVariable) {
    return step.record->known || Je_cislo(step.record->text()) != 0;
  }
  return Je_cislo(step.literal->text.data()) != 0;
}

// An onStack form's value, pushed as the grammar pushes it: the lone operand,
// or the operator applied to copies of both operands by applyOperator. False,
// with nothing changed, where the operator might report: one that needs
// numbers, or "+" of two numeric texts (the sum's text may be too long).
// (Two known numbers come here only for such an operator, their result
// one that the numbers did not keep.)
[[gnu::noinline]] bool pushByForm(const Form& form) {
  const FormStep* steps = form.steps;
  if (form.count == 1) {
    pushOperand(steps[0]);
    return true;
  }
  const Word op = steps[2].op;
  if (!takesTexts(op) || (op == kPlus && numericText(steps[0]) && numericText(steps[1]))) return false;
  pushOperand(steps[0]);
  pushOperand(steps[1]);
  applyOperator(op);  // (no message: an operator that takes texts, of no sum of numbers)
  return true;
}

// Whether an operand's text is written out: every literal's, a variable's
// but for a number whose text is pending.
inline bool textWritten(const FormStep& step) {
  return step.kind != FormStep::kVariable || !step.record->textPending;
}

// Copies an operand's text into an exchange buffer as popInto copies the
// value Faktor pushed of it: at most 254 characters.
inline void copyOperand(ValueBuffer& target, const FormStep& step) {
  const char* text = step.kind == FormStep::kVariable ? step.record->text() : step.literal->text.data();
  const std::size_t length = std::min<std::size_t>(
      step.kind == FormStep::kVariable ? step.record->length : step.literal->length, target.size() - 1);
  std::memcpy(target.data(), text, length);
  target[length] = '\0';
}

// Whether an assignment's form joins two texts: "+" of two written texts not
// both numeric text, which the grammar joins with computeTexts, whatever
// their numbers.
inline bool joinsTexts(const Form& form) {
  const FormStep* steps = form.steps;
  return form.count == 3 && steps[2].kind == FormStep::kOperator && steps[2].op == kPlus &&
         textWritten(steps[0]) && textWritten(steps[1]) && !(numericText(steps[0]) && numericText(steps[1]));
}

// The join, as the grammar makes and stores it, without the value stack:
// applyToTexts pops the right operand into pom_a and the left into pom_b,
// computeTexts joins them in hodnota_zas and pushes that, and the
// assignment stores it with no number known. (The stack's spare nodes are
// left in their order: the grammar takes two, gives both back, and takes
// and gives back the first again.)
[[gnu::noinline]] void joinByForm(const Form& form) {
  copyOperand(pom_a, form.steps[1]);
  copyOperand(pom_b, form.steps[0]);
  copyText(hodnota_zas, pom_b.data());
  appendText(hodnota_zas, pom_a.data());
  storeResult(*form.target, hodnota_zas.data(), std::strlen(hodnota_zas.data()), {});
}

// A lone operand is pushed with its text; any other form runs on numbers
// where it can, else on the value stack where it can. The read position is
// left where it is.
[[gnu::always_inline]] inline bool assignInPlace(const Form& form) {
  if (form.target == nullptr || !mayRun(form)) return false;
  Result result;
  if (form.count != 1 && evaluate(form, result)) {
    if (result.negated != nullptr) writeNegated(result);
    if (result.truth) {
      storeResult(*form.target, result.value != 0.0 ? "1" : "0", 1, {true, false, result.value});
    } else {
      storeResult(*form.target, "", 0, {true, true, result.value});
    }
  } else if (joinsTexts(form)) {
    joinByForm(form);
  } else {
    if (!onStack(form) || !pushByForm(form)) return false;
    // popIntoRecord of the value pushed (whose one call, in Prikaz, stays
    // inlined there).
    const StackNode& value = *vrchol_zas;
    storeResult(*form.target, value.text.data(), value.length, value.number);
    dropValues(1);
  }
  return true;
}

// runExpression, leaving the read position where it is.
[[gnu::always_inline]] inline bool expressionInPlace(const Form& form, Take take, bool& holds) {
  if (form.target != nullptr || !mayRun(form)) return false;
  Result result;
  if (form.count == 1 || !evaluate(form, result)) {
    if (!onStack(form) || !pushByForm(form)) return false;
    if (take == Take::kTruth) {
      holds = popTruth();
    } else {
      Uber_ze_zas();
    }
  } else {
    if (result.negated != nullptr) writeNegated(result);
    // popTruth takes a known number without its text; Uber_ze_zas writes
    // the text of a pending whole number, as formatFixed.
    if (take == Take::kTruth) {
      holds = result.value != 0.0;
    } else if (result.truth) {
      copyText(hodnota_zas, result.value != 0.0 ? "1" : "0");
    } else {
      formatFixed(result.value, hodnota_zas.data(), hodnota_zas.size());
    }
  }
  return true;
}

}  // namespace

bool runAssignment(const Form& form) {
  if (!assignInPlace(form)) return false;
  variableSet(form.target);
  replayFrom(form.resume, form.tokens);
  return true;
}

bool runAssignmentInPlace(const Form& form) { return assignInPlace(form); }

bool runExpression(const Form& form, Take take, bool& holds) {
  if (!expressionInPlace(form, take, holds)) return false;
  replayFrom(form.resume, form.tokens);
  return true;
}

bool conditionByForm(const Form& conditional, bool& holds) {
  return expressionInPlace(*conditional.parts()[0], Take::kTruth, holds);
}

bool testByForm(bool& holds) {
  const TokenNode* first = zasobnik != nullptr ? zasobnik->condition.first : nullptr;
  const Form* form = first != nullptr ? first->token.form : nullptr;
  if (form == nullptr || !replayHasRoom(form->tokens + std::size_t{1}) ||
      !expressionInPlace(*form, Take::kTruth, holds)) {
    return false;
  }
  // The condition's first token and the ones up to its ")".
  replayFrom(form->resume, form->tokens + std::size_t{1});
  return true;
}

#endif  // LOOP_FORMS

}  // namespace m4t4
