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

#if LOOP_FORMS
// The statements of a straight block, on a replay with effects on: runs its
// assignments by their forms, without reading their tokens, as V would run
// them; then reads on from the "}" for V to go on.
[[gnu::noinline]] void runStraight(const Form& block) {
  std::size_t tokens = 1;
  WH_PD_readFrom(runStatements(block, tokens), tokens);
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
  if (form != nullptr && form->kind == Form::kBlock && form->straight && if_flag != 0)
    runStraight(*form);
  else
    lex();
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
    if (!assignByFormInPlace(*form)) return form->first;
    variableSet(form->target);
    statementEnds();
    tokens += form->tokens + 1;  // its first token and the ones up to its ";"
  }
  return block.resume;
}
#endif

/* V -> prikaz ";" V | empty */
unsigned V() {
  while (startsStatement(*tok_n)) {
    statementStarts();
    if (unsigned status = prikaz()) return status;
    statementEnds();
    if (unsigned status = checkStopped()) return status;
    if (tok_n->type != kSemicolon) return syntaxError("V", "\";\"");
    lex();
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
