// Blocks and the simple statements: assignment, cti, pis and pis_ln.
#include "hooks.h"
#include "procedures.h"

namespace m4t4 {
namespace {

bool beginsStatement() {
  int32_t tokenClass = token_buffer->tokenClass;
  return tokenClass == kWord || tokenClass == kVariable || tokenClass == kCall || is(kW2) ||
         is(kI2) || is(kCtiWord) || is(kPisWord) || is(kPisLnWord);
}

// Pis_Ln and Pis: "(" Logicky_vyraz ")", printed, followed by a line feed
// when `newline`.
unsigned printValue(const char* rule, bool newline) {
  if (!is(kOpenParen)) return reportExpected(rule, "(");
  Lex();
  bool taken = false, holds = false;
  if (unsigned s = expression(Take::kText, taken, holds)) return s;
  // Required: pis_ln reports its missing ")" under the name 'Pis' (its
  // missing "(" under its own); pinned by statements/errors/pis_ln_close.
  if (!is(kCloseParen)) return reportExpected("Pis", ")");
  if (unsigned s = checkStopped()) return s;
  if (!taken) Uber_ze_zas();
  if (i2_priznak != 0) {
    printText(hodnota_zas.data(), std::strlen(hodnota_zas.data()));
    if (newline) printText("\n", 1);
    if (outputIsTerminal) flushOutput();
    if (unsigned s = checkStopped()) return s;
  }
  Lex();
  return 0;
}

// What Vnitrni_blok does after each statement: the ";" that ends it.
inline unsigned statementRest() {
  statementEnds();
  if (unsigned s = checkStopped()) return s;
  if (token_buffer->tokenClass != kSemicolon) return reportExpected("Vnitrni_blok", ";");
  Lex();
  return 0;
}

// The rest of a block once its nesting is entered and the statements' first
// token read, after status s of what read it: Vnitrni_blok, then the "}".
// open: what Blok noted at the "{". (Inlined: Blok is on the path of every
// nested level.)
[[gnu::always_inline]] inline unsigned closeBlock(unsigned s, TokenNode* open) {
  if (s == 0) s = Vnitrni_blok();
  --nestingDepth;
  if (s != 0) return s;
  if (!is(kCloseBrace)) return reportExpected("Blok", "}");
  blockCloses(open);
  Lex();
  return 0;
}

#if LOOP_FORMS
// Blok is to read the rest of the block whose nesting is entered and whose
// statement is current (blockRest).
bool restOfBlock = false;
// The form of the statement runStatements left to the grammar, which Prikaz
// does not try again (nothing has changed since it did not run).
const Form* declinedForm = nullptr;

// The statements of a straight block, on a replay with effects on: runs its
// statements by their forms, without reading their tokens, as Vnitrni_blok
// would run them; then reads on from the "}" for Vnitrni_blok to go on, or
// from the first statement it left to the grammar, within the conditionals
// it is in. Not inlined: Blok's frame stays as it is.
[[gnu::noinline]] unsigned runStraight(const Form& block) {
  const int32_t nesting = nestingDepth;
  std::size_t tokens = 1;
  // Two statements: the count is read once runStatements has added to it.
  TokenNode* const stop = runStatements(block, tokens);
  replayFrom(stop, tokens);
  if (unsigned s = checkStopped()) {
    nestingDepth = nesting;  // as the grammar leaves it, each Blok it unwinds leaving its level
    return s;
  }
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

// A block of a conditional that runStatements runs: taken, its statements by
// their forms in its nesting where it is straight; else passed over as Blok
// passes over a block read with effects off. None once done; else the node
// of the statement the grammar goes on from (the first of a block that is
// not straight), the block's nesting entered.
TokenNode* runBranch(const Form& block, bool taken, std::size_t& tokens) {
  if (!taken) {
    tokens += std::size_t{block.tokens} + 1;  // its "{" and the ones up to its "}"
    return nullptr;
  }
  ++nestingDepth;
  tokens += 1;  // its "{"
  TokenNode* stop = block.straight ? runStatements(block, tokens) : block.first;
  if (stop != block.resume) return stop;
  --nestingDepth;
  tokens += 1;  // its "}"
  return nullptr;
}

// A conditional of a straight block, as If runs it on a replay with effects
// on (outer 1): its condition by its form, the block it takes by its
// statements' forms, the other passed over. None once it has run it all, the
// ";" after it too; else the node the grammar goes on from: the
// conditional's "i2" where nothing of it has run, or a statement of the
// block it takes. Its statement has been started (statementStarts).
[[gnu::noinline]] Ran runConditional(const Form& conditional) {
  const Form& then = *conditional.parts()[1];
  const Form* const otherwise = conditional.parts()[2];
  // Either block may enter a level of nesting where it was entered on the
  // first pass; where that would be refused, the grammar reports it.
  bool holds = false;
  if (nestingDepth != conditional.nesting || nestingDepth >= nestingLimit ||
      !conditionByForm(conditional, holds))
    return {conditional.first, 0};
  std::size_t tokens = std::size_t{conditional.parts()[0]->tokens} + 3;  // "i2", "(" and the condition up to ")"
  i2_priznak = holds ? 1 : 0;
  effectsChanged(EffectsCause::kCondition);
  if (TokenNode* stop = runBranch(then, holds, tokens)) return {stop, tokens};
  if (otherwise != nullptr) {
    i2_priznak = holds ? 0 : 1;
    effectsChanged(EffectsCause::kElse);
    tokens += 1;  // "e2"
    if (TokenNode* stop = runBranch(*otherwise, !holds, tokens)) return {stop, tokens};
  }
  i2_priznak = 1;
  effectsChanged(EffectsCause::kRestored);
  statementEnds();
  tokens += 2;  // "i2_end" and ";"
  return {nullptr, tokens};
}

// Whether Prikaz tries the form of its assignment: not the one that
// runStatements has just left to the grammar.
inline bool mayTry(const Form* form) {
  if (form != declinedForm) return true;
  declinedForm = nullptr;
  return false;
}
#else
inline bool mayTry(const Form*) { return true; }
#endif

}  // namespace

// (Inlined where the compiler chooses: a call of its own costs a replayed
// loop condition a fifth more.)
unsigned expression(Take take, bool& taken, bool& holds) {
  taken = false;
  if (const Form* form = token_buffer->form;
      form != nullptr && (rezim_LA == kReplayCondition || rezim_LA == kReplayBody) &&
      runExpression(*form, take, holds)) {
    taken = true;
    return 0;
  }
  formBegin();
  unsigned status = Logicky_vyraz();
  formEnd(nullptr, status);
  return status;
}

/* Blok -> "{" Vnitrni_blok "}" */
unsigned Blok() {
  TokenNode* open = nullptr;
  unsigned s = 0;
#if LOOP_FORMS
  if (restOfBlock) {
    restOfBlock = false;
  } else
#endif
  {
    if (!is(kOpenBrace)) return reportExpected("Blok", "{");
    // A replayed block read with effects off changes nothing but the read
    // position: with a form, the replay reads on from its "}". Read with
    // effects on, a straight block's statements run by their forms.
    const Form* const form = rezim_LA == kReplayBody ? token_buffer->form : nullptr;
    if (i2_priznak == 0 && form != nullptr && skipBlock(*form)) {
      Lex();
      return 0;
    }
    open = blockOpens();
    if (!enterNesting()) return reportNestingTooDeep("Blok");
#if LOOP_FORMS
    if (form != nullptr && form->straight && i2_priznak != 0)
      s = runStraight(*form);
    else
#endif
      Lex();
  }
  // (One call of closeBlock: Vnitrni_blok stays inlined here.)
  return closeBlock(s, open);
}

#if LOOP_FORMS
unsigned blockRest() {
  restOfBlock = true;
  return Blok();
}

unsigned conditionalsRest(int32_t levels) {
  // The blocks a conditional of runStatements takes are entered with effects
  // on: each If was entered with i2_priznak 1.
  for (; levels > 0; --levels) {
    if (unsigned s = blockRest()) return s;
    if (unsigned s = ifRest(1)) return s;
    if (unsigned s = statementRest()) return s;
  }
  return 0;
}

TokenNode* runStatements(const Form& block, std::size_t& tokens) {
  if (!replayHasRoom(block.tokens)) return block.first;
  for (const Form* form = block.statement; form != nullptr; form = form->statement) {
    statementStarts();
    // A conditional's form is no assignment's: it is met where an assignment
    // does not run, and keeps the assignments' path short.
    if (!runAssignmentInPlace(*form)) {
      if (form->kind != Form::kConditional) {
        declinedForm = form;
        return form->first;
      }
      const Ran ran = runConditional(*form);
      tokens += ran.tokens;
      if (ran.stop != nullptr) return ran.stop;
      continue;
    }
    variableSet(form->target);
    statementEnds();
    if (checkStopped()) {  // (a store refused): at its ";", as Prikaz leaves it
      tokens += form->tokens;
      return form->resume;
    }
    tokens += form->tokens + 1;  // its first token and the ones up to its ";"
  }
  return block.resume;
}
#endif

/* Vnitrni_blok -> Prikaz ";" Vnitrni_blok | empty */
unsigned Vnitrni_blok() {
  while (beginsStatement()) {
    statementStarts();
    if (unsigned s = Prikaz()) return s;
    if (unsigned s = statementRest()) return s;
  }
  return 0;
}

/* Prikaz -> promenna Prirazeni | "i2" If | "w2" While | "pis" Pis | "pis_ln" Pis_Ln
 *         | "cti" Cti | Funkce_volani */
unsigned Prikaz() {
  if (token_buffer->tokenClass == kVariable) {
    // A replayed assignment that has a form, and that the form can run.
    const Form* form = token_buffer->form;
    if (rezim_LA == kReplayBody && form != nullptr && mayTry(form) && runAssignment(*form)) return 0;
    // Required: the variable exists, as "hodnota neurcena", before its
    // right-hand side runs; statements/assignment_sees_its_new_variable.
    TableRecord* record = recordOf(*token_buffer);
    formBegin();
    Lex();
    unsigned status = Prirazeni();
    formEnd(record, status);
    if (status != 0) return status;
    if (record != nullptr) {
      popIntoRecord(*record);
    } else {
      Uber_ze_zas();
    }
    variableSet(record);
    return 0;
  }
  unsigned (*statement)() = is(kI2)          ? If
                            : is(kW2)        ? While
                            : is(kPisWord)   ? Pis
                            : is(kPisLnWord) ? Pis_Ln
                            : is(kCtiWord)   ? Cti
                                             : nullptr;
  if (statement != nullptr) {
    Lex();
    return statement();
  }
  if (token_buffer->tokenClass == kCall) return Funkce_volani();
  return reportExpected("Prikaz", "prikaz");
}

/* Prirazeni -> "->" Logicky_vyraz */
unsigned Prirazeni() {
  if (token_buffer->tokenClass != kArrow) return reportExpected("Prirazeni", "->");
  Lex();
  return Logicky_vyraz();
}

/* Cti -> "(" promenna ")" */
unsigned Cti() {
  if (!is(kOpenParen)) return reportExpected("Cti", "(");
  Lex();
  // Required: no message of its own; statements/errors/cti_needs_variable.
  if (token_buffer->tokenClass != kVariable) return failSilently();
  TableRecord* record = recordOf(*token_buffer);
  Lex();
  if (!is(kCloseParen)) return reportExpected("Cti", ")");
  if (i2_priznak != 0) {
    if (unsigned s = checkStopped()) return s;
    if (!readWord(pom_a)) {
      refuseRecord("Cti", "vstup se nezdarilo precist");
      return 1;
    }
    inputRead();
    copyText(hodnota_tab, pom_a.data());
    Vloz_obsah_tab(record);
    variableSet(record);
  }
  Lex();
  return 0;
}

/* Pis -> "(" Logicky_vyraz ")" */
unsigned Pis() { return printValue("Pis", false); }

/* Pis_Ln -> "(" Logicky_vyraz ")" */
unsigned Pis_Ln() { return printValue("Pis_Ln", true); }

}  // namespace m4t4
