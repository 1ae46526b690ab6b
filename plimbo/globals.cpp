#include "globals.h"

#include "procedures.h"

namespace plimbo {

namespace {
// The current token before the first lex: empty text, end of input.
Token startToken = {0, kEndOfInput, kNoWord, false, 0, nullptr, nullptr, {}};
}  // namespace

unsigned SAError = 0;
std::int32_t runStopped = 0;
int nestingDepth = 0;

Token* tok_n = &startToken;
std::int32_t buffer = kNoPushback;
std::int32_t LAError = 0;
std::int64_t lineNo = 1;
std::int32_t LAMode = kReadSource;
std::FILE* f = nullptr;

PushdownRecord* Pushdown_root = nullptr;
Value STAcces = {};
Value PDAcces = {};
std::int32_t if_flag = 1;

WhileLevel* While_PD = nullptr;

Value ops1 = {};

bool formRecording = false;

std::FILE* inputStream = nullptr;
bool inputMayWait = false;

void reset() {
  ST_free();
  PD_free();
  WH_PD_free();
  startOutput(nullptr);
  SAError = 0;
  runStopped = 0;
  nestingDepth = 0;
  nestingLimit = kMaxNesting;
  tok_n = &startToken;
  buffer = kNoPushback;
  resetSource();
  LAError = 0;
  lineNo = 1;
  LAMode = kReadSource;
  f = nullptr;
  STAcces = PDAcces = ops1 = Value{};
  if_flag = 1;
  formRecording = false;
  inputStream = nullptr;
  inputMayWait = false;
}

}  // namespace plimbo
