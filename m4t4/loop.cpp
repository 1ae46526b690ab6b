// The loop statement: the first pass records the condition and body into a
// new level of the loop token stack; every further pass replays them. The
// modes, cursors and a worked trace are in the note at the top of
// loop_stack.cpp. A replayed condition, assignment or block that got a form
// on the first pass runs that form instead of the grammar when it can
// (forms.cpp).
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

// Replays the condition and, while it holds, the body.
unsigned repeat() {
  for (;;) {
    Obnov_zas();
    loopReplays();
    rezim_LA = kReplayCondition;
    Lex();
    bool holds = false;
    if (unsigned s = condition(holds)) return s;
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
