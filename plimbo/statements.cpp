// Blocks and the simple statements: assignment, conditional, output, input.
#include <cstring>

#include "hooks.h"
#include "procedures.h"

namespace plimbo {

namespace {

// Required: keywords are matched by text whatever the token's class, so a
// string "ESLI" starts a conditional (lexer/string_taken_as_keyword).
bool startsStatement(const Token& token) {
  return token.type == kVariable || token.word == kEsli || token.word == kDokad ||
         token.word == kVracee || token.word == kNasaj;
}

// Evaluates "(" A ")", pops the value into PDAcces and leaves the current
// token on the ")".
unsigned parenthesizedExpression(const char* procedure) {
  if (tok_n->word != kOpenParen) return syntaxError(procedure, "\"(\"");
  lex();
  bool popped = false;
  if (unsigned status = expression(popped)) return status;
  if (unsigned status = checkStopped()) return status;
  if (tok_n->word != kCloseParen) return syntaxError(procedure, "\")\"");
  if (!popped) PD_pop();
  return 0;
}

// What V does after each statement: the ";" that ends it.
inline unsigned statementRest() {
  statementEnds();
  if (unsigned status = checkStopped()) return status;
  if (tok_n->type != kSemicolon) return syntaxError("V", "\";\"");
  lex();
  return 0;
}

// The rest of esli once its first block is read: [ "JINEM" blok ] "ILSE".
// saved: if_flag on entry to esli.
unsigned esliRest(std::int32_t saved) {
  if (tok_n->word == kJinem) {
    if_flag = saved != 0 && if_flag == 0 ? 1 : 0;
    effectsChanged(EffectsCause::kElse);
    lex();
    if (unsigned status = blok()) return status;
  }
  if (tok_n->word != kIlse) return syntaxError("esli", "\"ILSE\"");
  if_flag = saved;
  effectsChanged(EffectsCause::kRestored);
  lex();
  return 0;
}

#if LOOP_FORMS
// The statements of a straight block, on a replay with effects on: runs its
// statements by their forms, without reading their tokens, as V would run
// them; then reads on from the "}" for V to go on, or from the statement that
// did not run, within the conditionals it is in.
[[gnu::noinline]] unsigned runStraight(const Form& block) {
  const int nesting = nestingDepth;
  std::size_t tokens = 1;
  // Two statements: the count is read once runStatements has added to it.
  TokenNode* const stop = runStatements(block, tokens);
  WH_PD_readFrom(stop, tokens);
  return conditionalsRest(nestingDepth - nesting);
}

// What runConditional did: the node the grammar goes on from, none once it
// has run the whole conditional; and the tokens it passed (returned, not
// added through a reference, so that runStatements keeps its count in a
// register).
struct Ran {
  TokenNode* stop;
  std::size_t tokens;
};

Ran runConditional(const Form& conditional);

// A block of a conditional that runStatements runs: taken, its statements
// by their forms in its nesting where it is straight; else passed over as
// blok passes over a block read with effects off. None once done; else the
// node of the statement the grammar goes on from (the first of a block that
// is not straight), the block's nesting entered.
TokenNode* runBranch(const Form& block, bool taken, std::size_t& tokens) {
  if (!taken) {
    tokens += std::size_t{block.tokens} + 1;  // its "{" and the ones up to its "}"
    return nullptr;
  }
  ++nestingDepth;
  tokens += 1;  // its "{"
  TokenNode* stop = block.straight ? runStatements(block, tokens) : block.first;
  if (stop != block.resume) return stop;
  leaveNesting();
  tokens += 1;  // its "}"
  return nullptr;
}

// A conditional of a straight block, as esli runs it on a replay with effects
// on (if_flag 1): its condition by its form, the block it takes by its
// statements' forms, the other passed over. None once it has run it all, the
// ";" after it too; else the node the grammar goes on from: the conditional's
// ESLI where nothing of it has run, or a statement of the block it takes.
// Its statement has been started (statementStarts).
[[gnu::noinline]] Ran runConditional(const Form& conditional) {
  const Form& then = *conditional.parts()[1];
  const Form* const otherwise = conditional.parts()[2];
  // Either block may open a level of nesting where it was opened on the
  // first pass; where that would be refused, the grammar reports it.
  bool holds = false;
  if (nestingDepth != conditional.nesting || nestingDepth >= nestingLimit || nestingDepth >= kMaxNesting ||
      !conditionByForm(conditional, holds))
    return {conditional.first, 0};
  std::size_t tokens = std::size_t{conditional.parts()[0]->tokens} + 3;  // ESLI, "(" and the condition up to ")"
  if_flag = holds ? 1 : 0;
  effectsChanged(EffectsCause::kCondition);
  if (TokenNode* stop = runBranch(then, holds, tokens)) return {stop, tokens};
  if (otherwise != nullptr) {
    if_flag = holds ? 0 : 1;
    effectsChanged(EffectsCause::kElse);
    tokens += 1;  // JINEM
    if (TokenNode* stop = runBranch(*otherwise, !holds, tokens)) return {stop, tokens};
  }
  if_flag = 1;
  effectsChanged(EffectsCause::kRestored);
  statementEnds();
  tokens += 2;  // ILSE and ";"
  return {nullptr, tokens};
}
#endif

}  // namespace

// Not inlined: A stays one procedure for every caller.
[[gnu::noinline]] unsigned expression(bool& popped) {
  popped = false;
#if LOOP_FORMS
  if (const Form* form = tok_n->form;
      form != nullptr && (LAMode == kReplayCondition || LAMode == kReplayBody) && popByForm(*form)) {
    popped = true;
    return 0;
  }
  formBegin();
  const unsigned status = A();
  formEnd(status, nullptr);
  return status;
#else
  return A();
#endif
}

/* blok -> "{" V "}" */
unsigned blok() {
  if (tok_n->word != kOpenBrace) return syntaxError("blok", "\"{\"");
#if LOOP_FORMS
  const Form* const form = LAMode == kReplayBody ? tok_n->form : nullptr;
  if (if_flag == 0 && form != nullptr && skipByForm(*form)) {
    lex();
    return 0;
  }
  TokenNode* const open = LAMode == kRecordBody ? recordedNode() : nullptr;
  const std::size_t count = open != nullptr ? WH_PD_recordedCount() : 0;
  const int nesting = nestingDepth;
#endif
  if (unsigned status = enterNesting("blok")) return status;
#if LOOP_FORMS
  if (form != nullptr && form->kind == Form::kBlock && form->straight && if_flag != 0) {
    if (unsigned status = runStraight(*form)) return status;
  } else {
    lex();
  }
#else
  lex();
#endif
#if LOOP_FORMS
  return blockRest(open, count, nesting);
#else
  return blockRest(nullptr, 0, 0);
#endif
}

unsigned blockRest([[maybe_unused]] TokenNode* open, [[maybe_unused]] std::size_t count,
                   [[maybe_unused]] int nesting) {
  if (unsigned status = V()) return status;
  if (tok_n->word != kCloseBrace) return syntaxError("blok", "\"}\"");
  leaveNesting();
#if LOOP_FORMS
  if (open != nullptr) formBlock(open, count, nesting);
#endif
  lex();
  return 0;
}

#if LOOP_FORMS
TokenNode* runStatements(const Form& block, std::size_t& tokens) {
  if (!WH_PD_canSkip(block.tokens)) return block.first;
  for (const Form* form = block.statement; form != nullptr; form = form->statement) {
    statementStarts();
    // A conditional's form is no assignment's: it is met where an assignment
    // does not run, and keeps the assignments' path short.
    if (!assignByFormInPlace(*form)) {
      if (form->kind != Form::kConditional) return form->first;
      const Ran ran = runConditional(*form);
      tokens += ran.tokens;
      if (ran.stop != nullptr) return ran.stop;
      continue;
    }
    variableSet(form->target);
    statementEnds();
    tokens += form->tokens + 1;  // its first token and the ones up to its ";"
  }
  return block.resume;
}

unsigned conditionalsRest(int levels) {
  // The blocks a conditional of runStatements takes are entered with effects
  // on: each esli was entered with if_flag 1.
  for (; levels > 0; --levels) {
    if (unsigned status = blockRest(nullptr, 0, 0)) return status;
    if (unsigned status = esliRest(1)) return status;
    if (unsigned status = statementRest()) return status;
  }
  return 0;
}
#endif

/* V -> prikaz ";" V | empty */
unsigned V() {
  while (startsStatement(*tok_n)) {
    statementStarts();
    if (unsigned status = prikaz()) return status;
    if (unsigned status = statementRest()) return status;
  }
  return 0;
}

/* prikaz -> variable davaj | ESLI esli | DOKAD dokad | VRACEE vracee | NASAJ nasaj */
unsigned prikaz() {
  if (tok_n->type == kVariable) {
#if LOOP_FORMS
    if (const Form* form = tok_n->form; form != nullptr && LAMode == kReplayBody && assignByForm(*form)) {
      variableSet(form->target);
      return 0;
    }
    formBegin();
#endif
    // Required: the variable exists before its expression is read, so
    // "$x <: $x;" stores "not defined value" (statements/assignment).
    SymbolRecord* record = lookUp(*tok_n);
    lex();
    const unsigned status = davaj();
#if LOOP_FORMS
    formEnd(record != nullptr ? status : 1, record);
#endif
    if (status != 0) return status;
    if (record != nullptr)
      PD_popInto(*record);  // does nothing while effects are suppressed
    else
      PD_pop();
    variableSet(record);
    return 0;
  }
  const Word keyword = tok_n->word;
  lex();
  switch (keyword) {
    case kEsli: return esli();
    case kDokad: return dokad();
    case kVracee: return vracee();
    default: return nasaj();
  }
}

/* davaj -> "<:" A */
unsigned davaj() {
  if (tok_n->type != kAssignment) return syntaxError("davaj", "\"<:\"");
  lex();
  return A();
}

/* esli -> "(" A ")" blok [ "JINEM" blok ] "ILSE" */
unsigned esli() {
  const std::int32_t saved = if_flag;
  if (unsigned status = parenthesizedExpression("esli")) return status;
  if_flag = saved != 0 && isTrue(PDAcces) ? 1 : 0;
  effectsChanged(EffectsCause::kCondition);
  lex();
  if (unsigned status = blok()) return status;
  return esliRest(saved);
}

/* vracee -> "(" A ")" */
unsigned vracee() {
  if (unsigned status = parenthesizedExpression("vracee")) return status;
  if (if_flag != 0) {
    PDAcces.text[PDAcces.length] = '\n';  // room: a value text leaves the last byte free
    emit(PDAcces.text.data(), PDAcces.length + 1);
    PDAcces.text[PDAcces.length] = '\0';
  }
  lex();
  return 0;
}

/* nasaj -> "(" variable ")" */
unsigned nasaj() {
  if (tok_n->word != kOpenParen) return syntaxError("nasaj", "\"(\"");
  lex();
  // Required: no message of its own, only the failure line follows
  // (statements/errors/nasaj_not_a_variable).
  if (tok_n->type != kVariable) return 1;
  SymbolRecord* record = lookUp(*tok_n);
  lex();
  if (tok_n->word != kCloseParen) return syntaxError("nasaj", "\")\"");
  if (if_flag != 0) {
    if (!readWord(ops1)) return 1;
    inputRead();
    copyValue(STAcces, ops1);
    ST_saveValue(record);
    variableSet(record);
  }
  lex();
  return 0;
}

}  // namespace plimbo
