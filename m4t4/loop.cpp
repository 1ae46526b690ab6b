// The loop statement: the first pass records the condition and body into a
// new level of the loop token stack; every further pass replays them. The
// modes, cursors and a worked trace are in the note at the top of
// loop_stack.cpp. A replayed condition, assignment or block that got a form
// on the first pass runs that form instead of the grammar when it can
// (forms.cpp); while the condition's form runs and the body is a straight
// block, whole passes run by forms (passesByForm).
#include "hooks.h"
#include "procedures.h"

namespace m4t4 {
namespace {

// Tokens come from the source file (recorded or not).
bool readsSource(int32_t mode) {
  return mode == kSource || mode == kSourceCondition || mode == kSourceBody;
}

// Tokens come from the top level's own recording.
bool isReplaying(int32_t mode) { return mode == kReplayCondition || mode == kReplayBody; }

// The mode that reads a loop's body after its condition was read in `mode`:
// from where the condition came.
int32_t bodyModeAfter(int32_t mode) {
  return mode == kSourceCondition ? kSourceBody : kLookAheadBody;
}

// Opens the level of an active loop and chooses where its first pass reads:
// the source, the enclosing level's replay (from where that replay stands),
// or, inside another first pass that reads a replay, that same replay.
unsigned openLevel(int32_t outerMode) {
  if (loopLevelCount >= kMaxLoopLevels) return reportTooDeep("While");
  Zvys_zas();
  if (unsigned s = checkStopped()) return s;
  if (readsSource(outerMode)) {
    rezim_LA = kSourceCondition;
    return 0;
  }
  rezim_LA = kLookAheadCondition;
  if (isReplaying(outerMode)) {
    zasobnik->source = zasobnik->enclosing;
    Obnov_pom_zas();
  } else {
    zasobnik->source = zasobnik->enclosing->source;
  }
  return 0;
}

// Closes the level; a loop read from an enclosing replay moves that replay
// past its "w2_end".
void closeLevel(int32_t outerMode) {
  loopLeaves(outerMode);
  if (isReplaying(outerMode))
    zasobnik->enclosing->bodyCursor = zasobnik->enclosing->lookAheadCursor;
  Sniz_zas();
}

// Evaluates the condition at the current token and takes its truth off the
// value stack.
unsigned condition(bool& holds) {
  bool taken = false;
  if (unsigned s = expression(Take::kTruth, taken, holds)) return s;
  if (taken) return 0;  // (a form ran: the run goes on, and its ")" is current)
  if (unsigned s = checkStopped()) return s;
  if (!is(kCloseParen)) return reportExpected("While", ")");
  holds = popTruth();
  return 0;
}

#if LOOP_FORMS
// What passesByForm did.
enum class Passes {
  kNone,        // nothing of the pass at hand: it is the grammar's
  kEnded,       // the condition failed: the loop has ended
  kUnfinished,  // a statement of the body is the grammar's: the body's nesting
                // is entered and the statement's first token is current, within
                // conditionals of the body (levels) whose blocks' nesting is
                // entered too
  kStopped,     // a statement of the body stopped the run
};

// The form of the replaying loop's body, where that is a straight block.
inline const Form* straightBody() {
  const TokenNode* open = zasobnik != nullptr ? zasobnik->body.first : nullptr;
  const Form* body = open != nullptr ? open->token.form : nullptr;
  return body != nullptr && body->straight ? body : nullptr;
}

// Runs passes of the replaying loop by forms, while its condition has a form
// that runs, each as repeat would run it; body: its straight body's form.
// Entered, and left with kNone, where repeat reads the condition.
[[gnu::noinline]] Passes passesByForm([[maybe_unused]] const Form& body, [[maybe_unused]] int32_t& levels) {
#ifdef FUZZ_BUDGET
  return Passes::kNone;  // the budget counts the tokens of every pass
#else
  for (;;) {
    bool holds = false;
    // The body's "{" enters a level of nesting: where that would be
    // refused, the grammar reports it.
    if (nestingDepth >= nestingLimit || !testByForm(holds)) return Passes::kNone;
    if (!holds) return Passes::kEnded;
    rezim_LA = kReplayBody;
    const int32_t entered = ++nestingDepth;
    std::size_t tokens = 2;  // the "{" and the token it stops at
    // Two statements: the count is read once runStatements has added to it.
    TokenNode* const stop = runStatements(body, tokens);
    if (stop != body.resume) {
      replayFrom(stop, tokens);
      if (checkStopped()) {
        nestingDepth = entered - 1;
        return Passes::kStopped;
      }
      levels = nestingDepth - entered;
      return Passes::kUnfinished;
    }
    --nestingDepth;
    // The next pass, as repeat starts it.
    Obnov_zas();
    loopReplays();
    rezim_LA = kReplayCondition;
  }
#endif
}
#endif

// Replays the condition and, while it holds, the body.
unsigned repeat() {
  for (;;) {
    Obnov_zas();
    loopReplays();
    rezim_LA = kReplayCondition;
    bool holds = false;
#if LOOP_FORMS
    const Form* body = straightBody();
    int32_t levels = 0;
    const Passes passes = body != nullptr ? passesByForm(*body, levels) : Passes::kNone;
    if (passes == Passes::kEnded) return 0;
    if (passes == Passes::kStopped) return checkStopped();
    if (passes == Passes::kUnfinished) {
      if (unsigned s = conditionalsRest(levels)) return s;
      if (unsigned s = blockRest()) return s;
      if (unsigned s = checkStopped()) return s;
      continue;
    }
    // By its form where it can, without reading its tokens: the body's
    // tokens are read next.
    if (!testByForm(holds))
#endif
    {
      Lex();
      if (unsigned s = condition(holds)) return s;
    }
    if (!holds) return 0;
    rezim_LA = kReplayBody;
    Lex();
    if (unsigned s = Blok()) return s;
    if (unsigned s = checkStopped()) return s;
  }
}

}  // namespace

/* While -> "(" Logicky_vyraz ")" Blok "w2_end" */
// The effects flag and the lexer mode are saved on entry, set for the
// condition, the body and the replays, and restored at the end. A stopped
// run keeps effects off and its mode at kStopped (stopRun): each write
// follows a checkStopped, since the condition or the body may have stopped
// the run without a status of its own (a refused record, its token already
// read).
unsigned While() {
  int32_t outerFlag = i2_priznak;
  int32_t outerMode = rezim_LA;
  bool active = outerFlag != 0;
  if (!is(kOpenParen)) return reportExpected("While", "(");
  if (active) {
    if (unsigned s = openLevel(outerMode)) return s;
    loopEntered(outerMode);
  }
  Lex();
  bool holds = false;
  if (unsigned s = condition(holds)) return s;
  bool runs = holds && active;
  if (active) rezim_LA = bodyModeAfter(rezim_LA);
  if (!runs) i2_priznak = 0;
  effectsChanged(EffectsCause::kLoop);
  Lex();
  if (unsigned s = Blok()) return s;
  if (!is(kW2End)) return reportExpected("While", "w2_end");
  if (unsigned s = checkStopped()) return s;
  if (runs) {
    if (unsigned s = repeat()) return s;
  }
  if (active) closeLevel(outerMode);
  rezim_LA = outerMode;
  Lex();
  i2_priznak = outerFlag;
  effectsChanged(EffectsCause::kRestored);
  return 0;
}

}  // namespace m4t4
