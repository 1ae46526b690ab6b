// Loop forms: the builder, which notes an expression in postfix order while
// a loop's first pass parses it from the source, and the runner, which runs
// that form on the variables' numbers during the loop's replays instead of
// the grammar procedures.
//
// A form runs only when it can show that the grammar would compute the same:
// effects are on; the value stack would take every value the expression
// pushes without a refusal and without allocating (valueStackHasRoom); every
// variable's number is known (its text is numeric and atof of it is that
// number); and every operator's result is what the grammar's value would
// hold as its number: a truth value, or an arithmetic result that setNumber
// keeps (keepsNumber). For anything else the form gives up before it has
// changed anything, and the grammar parses the recorded tokens as before,
// reporting whatever it reports at the same token.
//
// With both operands' numbers known, applyOperator reads neither their texts
// nor any exchange buffer, and popTruth reads the condition's number alone:
// the one exchange buffer the grammar writes on that path is pom_a, which
// "!" fills with its operand's text. The runner writes pom_a as the last
// "!" would have left it.
#include <new>

#include "hooks.h"
#include "procedures.h"

namespace m4t4 {

static_assert(sizeof(Form) % alignof(FormStep) == 0, "the steps follow the form in one block");

void releaseForm(const Form* form) { ::operator delete(const_cast<Form*>(form)); }

#if LOOP_FORMS

namespace {

// The form being noted (while formNoting).
struct Builder {
  TokenNode* start = nullptr;  // the node of its first token
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
  return &step;
}

}  // namespace

void noteBegin() {
  TokenNode* node = recordedNode();
  if (i2_priznak == 0 || node == nullptr) return;
  formNoting = true;
  builder.start = node;
  builder.count = 0;
  builder.depth = 0;
  builder.maxDepth = 0;
}

void noteOperand(const Token& token, const TableRecord* record) {
  if (token.tokenClass == kVariable ? record == nullptr : !token.number.known) {
    formNoting = false;  // a string literal, or a number whose text would count
    return;
  }
  const bool variable = token.tokenClass == kVariable;
  FormStep* step = addStep(variable ? FormStep::kVariable : FormStep::kConstant);
  if (step == nullptr) return;
  if (variable) {
    step->record = record;
  } else {
    step->constant = token.number.value;
  }
  builder.maxDepth = std::max(builder.maxDepth, ++builder.depth);
}

void noteOperator(Word op) {
  if (FormStep* step = addStep(FormStep::kOperator)) step->op = op;
  --builder.depth;
}

void noteNegation() {
  // The text of a literal that "!" takes (into pom_a) is not kept.
  if (builder.count == 0 || builder.steps[builder.count - 1].kind == FormStep::kConstant) {
    formNoting = false;
    return;
  }
  addStep(FormStep::kNegation);
}

void noteEnd(TableRecord* target, unsigned status) {
  formNoting = false;
  // A lone operand is not worth a form (and its text would count).
  if (status != 0 || builder.count < 2) return;
  TokenNode* resume = recordedNode();
  TokenNode* start = builder.start;
  if (resume == nullptr || start->token.form != nullptr) return;
  std::size_t tokens = 0;
  for (const TokenNode* node = start; node != resume; node = node->next) {
    if (node == nullptr) return;
    ++tokens;
  }
  void* block = ::operator new(sizeof(Form) + builder.count * sizeof(FormStep), std::nothrow);
  if (block == nullptr) return;  // no memory: no form, and no message
  auto* steps = reinterpret_cast<FormStep*>(static_cast<Form*>(block) + 1);
  for (std::size_t i = 0; i < builder.count; ++i) new (&steps[i]) FormStep(builder.steps[i]);
  start->token.form = new (block) Form{target,
                                       resume,
                                       static_cast<uint32_t>(tokens),
                                       static_cast<uint16_t>(builder.maxDepth),
                                       static_cast<uint16_t>(builder.count),
                                       steps};
}

namespace {

// A form's value.
struct Result {
  double value = 0;
  bool truth = false;                 // a truth value ("1" or "0"), else a kept arithmetic result
  const FormStep* negated = nullptr;  // the step whose value the last "!" took, if any
  double negatedValue = 0;            // that value
};

// Runs the form; false (nothing changed) when the grammar must.
bool evaluate(const Form& form, Result& result) {
  if (i2_priznak == 0 || !valueStackHasRoom(form.depth) || !replayHasRoom(form.tokens)) {
    return false;
  }
  double stack[kMaxFormSteps];
  std::size_t top = 0;
  const FormStep* const end = form.steps + form.count;
  for (const FormStep* step = form.steps; step != end; ++step) {
    switch (step->kind) {
      case FormStep::kConstant:
        stack[top++] = step->constant;
        break;
      case FormStep::kVariable:
        if (!step->record->number.known) return false;
        stack[top++] = step->record->number.value;
        break;
      case FormStep::kNegation:
        result.negated = step - 1;
        result.negatedValue = stack[top - 1];
        stack[top - 1] = stack[top - 1] == 0.0 ? 1.0 : 0.0;
        result.truth = true;
        break;
      case FormStep::kOperator: {
        const double right = stack[--top];
        double& left = stack[top - 1];
        bool truth = true;
        switch (step->op) {
          case kOr: truth = left != 0.0 || right != 0.0; break;
          case kAnd: truth = left != 0.0 && right != 0.0; break;
          case kLess: truth = left < right; break;
          case kGreater: truth = left > right; break;
          case kEqual: truth = left == right; break;
          case kNotEqual: truth = left != right; break;
          case kLessEqual: truth = left <= right; break;
          case kGreaterEqual: truth = left >= right; break;
          default: {
            const double value = step->op == kPlus    ? left + right
                                 : step->op == kMinus ? left - right
                                 : step->op == kTimes ? left * right
                                 : step->op == kDivide ? left / right
                                                       : std::fmod(left, right);
            if (!keepsNumber(value)) return false;
            left = value;
            result.truth = false;
            continue;
          }
        }
        left = truth ? 1.0 : 0.0;
        result.truth = true;
        break;
      }
    }
  }
  result.value = stack[0];
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
  } else if (step.kind == FormStep::kVariable && !step.record->number.textPending) {
    const std::size_t length = std::min<std::size_t>(step.record->length, pom_a.size() - 1);
    std::memcpy(pom_a.data(), step.record->value.data(), length);
    pom_a[length] = '\0';
  } else {  // a whole number whose text is still to be written
    formatFixed(result.negatedValue, pom_a.data(), pom_a.size());
  }
}

}  // namespace

bool runAssignment(const Form& form) {
  Result result;
  if (form.target == nullptr || !evaluate(form, result)) return false;
  if (result.negated != nullptr) writeNegated(result);
  if (result.truth) {
    storeResult(*form.target, result.value != 0.0 ? "1" : "0", 1, {true, false, result.value});
  } else {
    storeResult(*form.target, "", 0, {true, true, result.value});
  }
  variableSet(form.target);
  replayFrom(form.resume, form.tokens);
  return true;
}

bool runCondition(const Form& form, bool& holds) {
  Result result;
  if (!evaluate(form, result)) return false;
  if (result.negated != nullptr) writeNegated(result);
  holds = result.value != 0.0;
  replayFrom(form.resume, form.tokens);
  return true;
}

#endif  // LOOP_FORMS

}  // namespace m4t4
