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

#if LOOP_FORMS
// What passesByForm did.
enum class Passes {
  kNone,        // nothing of the pass at hand: it is the grammar's
  kEnded,       // the condition failed: the loop has ended
  kUnfinished,  // a statement of the body is the grammar's: the body's nesting
                // is entered and the read position stands on the statement,
                // within conditionals of the body (levels) whose blocks' nesting
                // is entered too
};

// Runs passes of the replaying loop by forms, while its condition has a form
// that runs and its body is a straight block, each as replay would run it.
// Entered, and left with kNone, where replay tests the condition.
[[gnu::noinline]] Passes passesByForm([[maybe_unused]] int& levels) {
#ifdef FUZZ_BUDGET
  return Passes::kNone;  // the budget counts the tokens of every pass
#else
  const TokenNode* open = While_PD != nullptr ? While_PD->bodyList : nullptr;
  const Form* body = open != nullptr ? open->token.form : nullptr;
  if (body == nullptr || body->kind != Form::kBlock || !body->straight) return Passes::kNone;
  for (;;) {
    bool holds = false;
    // The body's "{" opens a level of nesting: where that would be refused,
    // the grammar reports it.
    if (nestingDepth >= nestingLimit || nestingDepth >= kMaxNesting || !testByForm(holds)) return Passes::kNone;
    if (!holds) return Passes::kEnded;
    LAMode = kReplayBody;
    const int entered = ++nestingDepth;
    std::size_t tokens = 1;
    TokenNode* stop = runStatements(*body, tokens);
    if (stop != body->resume) {
      WH_PD_readFrom(stop, tokens);
      levels = nestingDepth - entered;
      return Passes::kUnfinished;
    }
    leaveNesting();
    // The next pass, as replay starts it (a form cannot stop the run).
    WH_ResetReadAts();
    loopReplays();
    LAMode = kReplayCondition;
  }
#endif
}
#endif

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
#if LOOP_FORMS
    int levels = 0;
    const Passes passes = passesByForm(levels);
    if (passes == Passes::kEnded) return 0;
    if (passes == Passes::kUnfinished) {
      if (unsigned status = conditionalsRest(levels)) return status;
      if (unsigned status = blockRest(nullptr, 0, 0)) return status;
      continue;
    }
    // By its form where it can, without reading its tokens: the body's
    // tokens are read next.
    if (!testByForm(holds))
#endif
    {
      if (unsigned status = condition(holds)) return status;
    }
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
