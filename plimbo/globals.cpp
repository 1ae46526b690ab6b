#include "globals.h"

#include "procedures.h"

namespace plimbo {

Token tok_n = {{}, kEndOfInput};
std::int32_t buffer = kNoPushback;
std::int32_t LAError = 0;
std::int64_t lineNo = 1;
std::int32_t LAMode = kReadSource;
std::int32_t SAError = 0;
PushdownRecord* Pushdown_root = nullptr;
PushdownRecord* Pushdown_spare = nullptr;
SymbolRecord* SymbolTable_root = nullptr;
std::int32_t if_flag = 1;
WhileLevel* While_PD = nullptr;
std::FILE* f = nullptr;
std::FILE* inputStream = nullptr;
ValueText STAcces = {};
ValueText PDAcces = {};
ValueText ops1 = {};
ValueText ops2 = {};
std::unordered_map<std::string_view, SymbolRecord*> symbolIndex;
int nestingDepth = 0;
std::size_t pushdownDepth = 0;
std::size_t recordedTokens = 0;
#ifdef FUZZ_BUDGET
std::size_t replayedTokens = 0;
#endif
std::int32_t runStopped = 0;

void reset() {
  ST_free();
  PD_free();
  WH_PD_free();
  tok_n.text[0] = '\0';
  tok_n.type = kEndOfInput;
  buffer = kNoPushback;
  LAError = 0;
  lineNo = 1;
  LAMode = kReadSource;
  SAError = 0;
  if_flag = 1;
  f = nullptr;
  inputStream = nullptr;
  STAcces[0] = PDAcces[0] = ops1[0] = ops2[0] = '\0';
  nestingDepth = 0;
  runStopped = 0;
  startOutput(nullptr);
#ifdef FUZZ_BUDGET
  replayedTokens = 0;
#endif
}

}  // namespace plimbo
