// The loop statement: the first pass reads and records the condition and the
// block, every further pass replays the recorded tokens. How the recorder and
// the lexer modes work together is explained at the top of recorder.cpp.
#include "hooks.h"
#include "procedures.h"

namespace plimbo {

namespace {


// Evaluates the condition the lexer is about to deliver and pops its truth.
unsigned condition(bool& holds) {
  lex();
  bool popped = false;
  if (unsigned status = expression(popped)) return status;
  if (!popped) PD_pop();
  holds = if_flag != 0 && isTrue(PDAcces);
  return 0;
}

// Runs the further passes of an active loop from its recorded tokens.
// Required: replayed tokens carry no line, so an error found in a replay
// names the line the source stands on (loops/errors/error_during_replay).
unsigned replay() {
  for (;;) {
    bool holds = false;
    if (unsigned status = checkStopped()) return status;
    WH_ResetReadAts();
    loopReplays();
    LAMode = kReplayCondition;
    if (unsigned status = condition(holds)) return status;
    if (!holds) return 0;
    LAMode = kReplayBody;
    lex();
    if (unsigned status = blok()) return status;
  }
}

}  // namespace

/* dokad -> "(" A ")" blok "FINISH" */
unsigned dokad() {
  const std::int32_t savedFlag = if_flag, savedMode = LAMode;
  const bool active = savedFlag != 0;
  bool holds = false;
  if (tok_n->word != kOpenParen) return syntaxError("dokad", "\"(\"");
  if (active) {
    WH_PD_addLevel();
    if (unsigned status = checkStopped()) return status;  // no memory for the level
    LAMode = readsRecordedTokens(savedMode) ? kLookAheadCondition : kRecordCondition;
    if (savedMode == kReplayBody) WH_ResetTempReadAt();
    loopEntered(savedMode);
  }
  if (unsigned status = condition(holds)) return status;
  if (tok_n->word != kCloseParen) return syntaxError("dokad", "\")\"");
  if (active) LAMode = readsRecordedTokens(savedMode) ? kLookAheadBody : kRecordBody;
  if (!holds) if_flag = 0;
  effectsChanged(EffectsCause::kLoop);
  lex();
  if (unsigned status = blok()) return status;
  if (tok_n->word != kFinish) return syntaxError("dokad", "\"FINISH\"");
  if (holds) {
    if (unsigned status = replay()) return status;
  }
  if (active) {
    loopLeaves(savedMode);
    if (savedMode == kReplayBody) WH_ResumeAfterNested();
    WH_PD_removeLevel();
  }
  LAMode = savedMode;
  lex();
  if_flag = savedFlag;
  effectsChanged(EffectsCause::kRestored);
  return 0;
}

}  // namespace plimbo
