// Loop forms: what a loop's first pass notes of an expression (an
// assignment's, a loop condition, the expression of ESLI or VRACEE) and of a
// block, so that the replays can run them without parsing them again.
//
// While the first pass reads a statement from the source (and records its
// tokens), the grammar procedures report each operand they push and each
// operator they apply; those steps, in that postfix order, are the form, kept
// with the recorded token the expression begins with. A replay that meets the
// token runs the form on the variables' numbers and moves the read position
// to the token after the expression; the grammar goes on from there as if it
// had parsed the expression itself. A block keeps where its "}" is, for a
// replay that reads it with effects off to jump there, and, when it holds
// only assignments with forms and conditionals whose condition has one, the
// chain of their forms, which a replay runs without reading a token
// (runStatements, passesByForm). A conditional's form names its condition's
// and its blocks': a replay runs the block it takes by its own chain where
// that block is straight (else the grammar reads it, from its first
// statement), and jumps over the other.
//
// A form runs only where it gives exactly what the grammar would: effects
// on, every variable numeric (or, with two operands, a text the grammar's
// text operators take), the pushdown able to take what the grammar would
// push, every result one the grammar would keep. It works out its results
// with the grammar's own functions (operateOn, numericResult, textResult,
// formatTruth, formatNumber) and stores them with the grammar's own store.
// Anything else, and every construct it does not model (a call), replays
// through the grammar.
#include <cstdint>
#include <cstring>

#include "arena.h"
#include "procedures.h"

namespace plimbo {

namespace {

// The form being noted.
struct Builder {
  TokenNode* start;     // the node of the token it begins with
  std::size_t recorded; // WH_PD_recordedCount() there
  std::size_t count;    // steps noted
  std::size_t depth;    // values the grammar holds now
  std::size_t deepest;  // most values the grammar held at once
  bool broken;          // something it cannot model was met: no form
  FormStep steps[kMaxFormSteps];
};

Builder builder;
Arena formArena;                     // the forms of the outermost loop's recording
// Tokens a form can stand for: more, and the expression gets none.
constexpr std::size_t kMaxFormTokens = UINT32_MAX;

void note(const FormStep& step, std::size_t pushed) {
  if (builder.count == kMaxFormSteps) {
    builder.broken = true;
    return;
  }
  builder.steps[builder.count++] = step;
  builder.depth = builder.depth + pushed;
  builder.deepest = std::max(builder.deepest, builder.depth);
}

// What the last step of a form made: a truth, an exact integer, or a value
// already written into result.
enum class Made { kTruth, kInteger, kWritten };

// The result of op on the numbers l and r, as the grammar keeps it: false
// where the grammar would refuse it or keep it as a text.
inline bool operate(Word op, double l, double r, double& number, Made& made, Value& result) {
  number = operateOn(op, l, r);
  if (isTruthOperator(op)) {
    made = Made::kTruth;
  } else if (isExactInteger(number)) {
    made = Made::kInteger;
  } else {
    // Kept as the number of its "%f" text; a result too long to write, or
    // no number (inf, nan), is left to the grammar.
    if (!formatFraction(number, result) || !result.numeric) return false;
    made = Made::kWritten;
    number = result.number;
  }
  return true;
}

// Whether an operand's value is numeric text; its number then in number.
inline bool numberOf(const FormStep& step, double& number) {
  if (step.kind == FormStep::kConstant) {
    number = step.constant;
    return true;
  }
  if (step.kind != FormStep::kVariable) return false;
  number = step.record->number;
  return step.record->numeric;
}

// The value of a lone operand, text and all, as the grammar pushes it.
inline void load(const FormStep& step, Value& value) {
  if (step.kind == FormStep::kVariable)
    loadValue(value, *step.record);
  else
    valueOfToken(value, *step.literal);
}

// Two operands and an operator, one of them a text: the text operators on
// copies of both, as the grammar applies them.
[[gnu::noinline]] bool operateOnTexts(const FormStep* steps, Value& result) {
  Value right;
  load(steps[0], result);
  load(steps[1], right);
  return textResult(steps[2].op, result, right, result);
}

// Runs a form of any shape on a stack of numbers.
[[gnu::noinline]] bool runSteps(const Form& form, double& number, Made& made, Value& result) {
  double values[kMaxFormSteps];
  std::size_t top = 0;
  for (const FormStep* step = form.steps(); step != form.steps() + form.count; ++step) {
    switch (step->kind) {
      case FormStep::kConstant:
        values[top++] = step->constant;
        continue;
      case FormStep::kVariable:
        if (!step->record->numeric) return false;
        values[top++] = step->record->number;
        continue;
      case FormStep::kText:
        return false;
      case FormStep::kNegation:
        values[top - 1] = values[top - 1] == 0.0 ? 1 : 0;
        made = Made::kTruth;
        continue;
      case FormStep::kOperator:
        --top;
        if (!operate(step->op, values[top - 1], values[top], values[top - 1], made, result)) return false;
        continue;
    }
  }
  number = values[0];
  return true;
}

// Runs the form: its value is then a truth or an exact integer in number
// (made says which), or written into result (kWritten), as the grammar makes
// it; false where only the grammar gives the exact result. The most common
// shape, two operands and an operator, takes no stack.
inline bool evaluate(const Form& form, double& number, Made& made, Value& result) {
  if (form.kind != Form::kExpression || if_flag == 0 || !PD_hasRoom(form.depth) || !WH_PD_canSkip(form.tokens))
    return false;
  made = Made::kWritten;
  const FormStep* steps = form.steps();
  if (form.count == 1) {
    load(steps[0], result);
    return true;
  }
  if (form.count == 3 && steps[2].kind == FormStep::kOperator) {
    double left, right;
    if (!numberOf(steps[0], left) || !numberOf(steps[1], right)) return operateOnTexts(steps, result);
    return operate(steps[2].op, left, right, number, made, result);
  }
  return runSteps(form, number, made, result);
}

// Leaves what evaluate made in PDAcces, as PD_pop leaves a value: a truth or
// an integer written into its fields at once (see assignByFormInPlace).
void leaveInPDAcces(Made made, double number, const Value& result) {
  if (made == Made::kTruth)
    formatTruth(number != 0, PDAcces);
  else if (made == Made::kInteger)
    formatNumber(number, PDAcces);
  else
    copyValue(PDAcces, result);
  writeText(PDAcces);
}

}  // namespace

// The grammar's reports (formNote...) are kept out of line: they run on first
// passes only, and the procedures that call them recurse with every level of
// nesting, where a frame of theirs would count once a level.
void formNoteBegin() {
  if (formRecording || if_flag == 0) return;
  TokenNode* start = recordedNode();
  if (start == nullptr) return;
  builder.start = start;
  builder.recorded = WH_PD_recordedCount();
  builder.count = builder.depth = builder.deepest = 0;
  builder.broken = false;
  formRecording = true;
}

[[gnu::noinline]] void formNoteOperand(const Token& token, const SymbolRecord* record) {
  FormStep step{};
  if (record != nullptr) {
    step.kind = FormStep::kVariable;
    step.record = record;
  } else {
    TokenNode* node = recordedNode();
    if (node == nullptr) {
      builder.broken = true;
      return;
    }
    // A text is no operand of the number operators; alone it is copied.
    step.kind = token.numeric ? FormStep::kConstant : FormStep::kText;
    step.literal = &node->token;
    step.constant = token.number;
  }
  note(step, 1);
}

[[gnu::noinline]] void formNoteOperator(Word op) {
  FormStep step{};
  step.kind = FormStep::kOperator;
  step.op = op;
  // Two operands are there, or the expression has already refused its form
  // (only a call leaves fewer).
  if (builder.depth < 2) builder.broken = true;
  note(step, 0);
  --builder.depth;
}

[[gnu::noinline]] void formNoteNegation() {
  FormStep step{};
  step.kind = FormStep::kNegation;
  if (builder.depth < 1) builder.broken = true;
  note(step, 0);
}

[[gnu::noinline]] void formNoteRefusal() { builder.broken = true; }

void formNoteEnd(unsigned status, SymbolRecord* target) {
  formRecording = false;
  TokenNode* resume = recordedNode();
  if (status != 0 || builder.broken || builder.depth != 1 || resume == nullptr) return;
  const std::size_t tokens = WH_PD_recordedCount() - builder.recorded;
  if (tokens > kMaxFormTokens) return;
  void* memory = formArena.allocate(sizeof(Form) + builder.count * sizeof(FormStep), alignof(Form));
  if (memory == nullptr) return;  // a form is only a shortcut: the grammar runs instead
  auto* steps = reinterpret_cast<FormStep*>(static_cast<char*>(memory) + sizeof(Form));
  for (std::size_t i = 0; i < builder.count; ++i) steps[i] = builder.steps[i];
  builder.start->token.form = new (memory) Form{Form::kExpression,
                                                false,
                                                static_cast<std::uint16_t>(builder.deepest),
                                                static_cast<std::uint16_t>(builder.count),
                                                0,
                                                static_cast<std::uint32_t>(tokens),
                                                target,
                                                resume,
                                                builder.start,
                                                nullptr};
}

namespace {

// Conditionals nested one in another that a straight block may hold: a
// replay runs each level in a frame of runStatements and one of its
// conditional's, and this keeps their stack small whatever the nesting.
constexpr std::uint16_t kMaxConditionalDepth = 16;

// The form of the block whose "{" is node, if it has one.
const Form* blockAt(const TokenNode* node) {
  const Form* form = node != nullptr ? node->token.form : nullptr;
  return form != nullptr && form->kind == Form::kBlock ? form : nullptr;
}

// Notes the form of the conditional whose ESLI is node, in a block read on a
// loop's first pass, once both its blocks have theirs: the forms of its
// condition and its blocks, and where its ";" is. None where its condition
// has no form (it was read with effects off) or a block has none, or where
// it nests too deep.
Form* formConditional(TokenNode* node) {
  // ESLI "(" A ")" blok [JINEM blok] ILSE ";", as the grammar has read it.
  const TokenNode* start = node->next != nullptr ? node->next->next : nullptr;
  const Form* condition = start != nullptr ? start->token.form : nullptr;
  if (condition == nullptr || condition->kind != Form::kExpression || condition->target != nullptr) return nullptr;
  const Form* then = blockAt(condition->resume->next);
  if (then == nullptr) return nullptr;
  const Form* otherwise = nullptr;
  const TokenNode* after = then->resume->next;
  std::size_t tokens = std::size_t{condition->tokens} + then->tokens + 5;
  if (after != nullptr && after->token.word == kJinem) {
    otherwise = blockAt(after->next);
    if (otherwise == nullptr || otherwise->nesting != then->nesting) return nullptr;
    after = otherwise->resume->next;
    tokens += std::size_t{otherwise->tokens} + 2;
  }
  TokenNode* end = after != nullptr && after->token.word == kIlse ? after->next : nullptr;
  if (end == nullptr || end->token.type != kSemicolon || tokens > kMaxFormTokens) return nullptr;
  const std::uint16_t depth =
      static_cast<std::uint16_t>(1 + std::max(then->depth, otherwise != nullptr ? otherwise->depth : std::uint16_t{0}));
  if (depth > kMaxConditionalDepth) return nullptr;
  void* memory = formArena.allocate(sizeof(Form) + 3 * sizeof(const Form*), alignof(Form));
  if (memory == nullptr) return nullptr;
  auto* parts = reinterpret_cast<const Form**>(static_cast<char*>(memory) + sizeof(Form));
  parts[0] = condition;
  parts[1] = then;
  parts[2] = otherwise;
  Form* form = new (memory) Form{Form::kConditional, false, depth, 0, then->nesting, static_cast<std::uint32_t>(tokens),
                                 nullptr, end, node, nullptr};
  node->token.form = form;
  return form;
}

}  // namespace

void formBlock(TokenNode* open, std::size_t count, int nesting) {
  TokenNode* close = recordedNode();
  if (open == nullptr || close == nullptr || open->token.form != nullptr) return;
  const std::size_t tokens = WH_PD_recordedCount() - count;
  if (tokens > kMaxFormTokens) return;
  void* memory = formArena.allocate(sizeof(Form), alignof(Form));
  if (memory == nullptr) return;
  // Straight: each statement an assignment with a form or a conditional with
  // one, the next one after its ";", up to the "}". Its statements' forms are
  // chained.
  const Form* first = nullptr;
  Form* last = nullptr;
  std::uint16_t depth = 0;
  TokenNode* node = open->next;
  while (node != close && node != nullptr) {
    Form* statement = node->token.form;
    if (statement == nullptr && node->token.word == kEsli) statement = formConditional(node);
    if (statement == nullptr || !(isAssignment(statement) || statement->kind == Form::kConditional)) break;
    if (statement->kind == Form::kConditional) depth = std::max(depth, statement->depth);
    if (last != nullptr)
      last->statement = statement;
    else
      first = statement;
    last = statement;
    node = statement->resume->next;
  }
  const bool straight = node == close;
  if (last != nullptr) last->statement = nullptr;
  open->token.form = new (memory) Form{Form::kBlock,
                                       straight,
                                       static_cast<std::uint16_t>(straight ? depth : 0),
                                       0,
                                       nesting,
                                       static_cast<std::uint32_t>(tokens),
                                       nullptr,
                                       close,
                                       open->next,
                                       straight ? first : nullptr};
}

bool conditionByForm(const Form& conditional, bool& holds) {
  Value result;
  Made made;
  double number;
  if (!evaluate(*conditional.parts()[0], number, made, result)) return false;
  leaveInPDAcces(made, number, result);
  holds = isTrue(PDAcces);
  return true;
}

bool assignByFormInPlace(const Form& form) {
  Value result;
  Made made;
  double number;
  if (!evaluate(form, number, made, result)) return false;
  // A truth or an integer goes straight into the record's fields: a value
  // made field by field and then copied whole would be read back before
  // those writes had landed, which stalls the copy.
  if (made == Made::kInteger) {
    storeInteger(*form.target, number);
    return true;
  }
  if (made == Made::kTruth) {
    storeTruth(*form.target, number != 0);
    return true;
  }
  // The first long text a variable holds makes its buffer, which may find no
  // memory and stop the run: the grammar's store does that, and stops where
  // the grammar stops (a straight block would run on).
  if (result.length >= kInlineValue && form.target->longText == nullptr) return false;
  storeValue(*form.target, result);
  return true;
}

namespace {

// Runs the form and leaves its value in PDAcces as PD_pop leaves it; passes
// over tokens more (the budget's count) first. False, with nothing changed,
// where only the grammar gives the exact result.
bool popByFormInPlace(const Form& form, std::size_t tokens) {
  Value result;
  Made made;
  double number;
  if (!evaluate(form, number, made, result) || !WH_PD_passOver(tokens)) return false;
  leaveInPDAcces(made, number, result);
  return true;
}

}  // namespace

bool testByForm(bool& holds) {
  const TokenNode* first = While_PD != nullptr ? While_PD->condList : nullptr;
  const Form* form = first != nullptr ? first->token.form : nullptr;
  // The condition's first token and the ones up to its ")".
  if (form == nullptr || !popByFormInPlace(*form, form->tokens + 1)) return false;
  holds = isTrue(PDAcces);
  return true;
}

bool skipByForm(const Form& form) {
  if (form.kind != Form::kBlock || if_flag != 0 || nestingDepth != form.nesting || !WH_PD_canSkip(form.tokens))
    return false;
  WH_PD_readFrom(form.resume, form.tokens);
  return true;
}

void formsRelease() { formArena.release(); }

// Not inlined: the callers are on the path of every nested level, and this
// frame is large.
[[gnu::noinline]] bool assignByForm(const Form& form) {
  if (!assignByFormInPlace(form)) return false;
  WH_PD_readFrom(form.resume, form.tokens);
  return true;
}

[[gnu::noinline]] bool popByForm(const Form& form) {
  // WH_PD_readFrom counts the tokens.
  if (!popByFormInPlace(form, 0)) return false;
  WH_PD_readFrom(form.resume, form.tokens);
  return true;
}

}  // namespace plimbo
