// The loop statement: the first pass reads and records the condition and the
// block, every further pass replays the recorded tokens.
#include "procedures.h"

namespace plimbo {

namespace {

// Evaluates the condition the lexer is about to deliver and pops its truth.
unsigned condition(bool& holds) {
  lex();
  if ((SAError = A()) != 0) return SAError;
  PD_pop();
  holds = if_flag != 0 && isTrue(PDAcces.data());
  return 0;
}

// Runs the further passes of an active loop from its recorded tokens.
unsigned replay() {
  for (;;) {
    bool holds = false;
    if ((SAError = checkStopped()) != 0) return SAError;
    WH_ResetReadAts();
    LAMode = kReplayCondition;
    if ((SAError = condition(holds)) != 0) return SAError;
    if (!holds) return 0;
    LAMode = kReplayBody;
    lex();
    if ((SAError = blok()) != 0) return SAError;
  }
}

}  // namespace

/* dokad -> "(" A ")" blok "FINISH" */
unsigned dokad() {
  std::int32_t savedFlag = if_flag, savedMode = LAMode;
  bool active = savedFlag != 0, holds = false;
  if (!isText("(")) return syntaxError("dokad", "\"(\"");
  if (active) {
    WH_PD_addLevel();
    LAMode = savedMode > kRecordBody ? kLookAheadCondition : kRecordCondition;
    if (savedMode == kReplayBody) WH_ResetTempReadAt();
  }
  if ((SAError = condition(holds)) != 0) return SAError;
  if (!isText(")")) return syntaxError("dokad", "\")\"");
  if (active) LAMode = savedMode > kRecordBody ? kLookAheadBody : kRecordBody;
  if (!holds) if_flag = 0;
  lex();
  if ((SAError = blok()) != 0) return SAError;
  if (!isText("FINISH")) return syntaxError("dokad", "\"FINISH\"");
  if (holds && (SAError = replay()) != 0) return SAError;
  if (active) {
    if (savedMode == kReplayBody) WH_ResumeAfterNested();
    WH_PD_removeLevel();
  }
  LAMode = savedMode;
  lex();
  if_flag = savedFlag;
  return 0;
}

}  // namespace plimbo
