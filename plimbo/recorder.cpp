// The loop token recorder: a stack of loop levels, each with the recorded
// tokens of its condition and body and the positions they are replayed from.
//
// How loops run without a syntax tree
// -----------------------------------
// The interpreter executes while it parses, so a loop is run again by parsing
// its tokens again. Every DOKAD met while effects are on gets a level
// (WhileLevel) on the stack rooted in While_PD, innermost on top:
//   condList/condLast  the tokens after "(" up to and including ")"
//   bodyList/bodyLast  the tokens from "{" up to and including FINISH
//   condEnd/bodyEnd    the node after condLast/bodyLast: where replay wraps
//   condReadAt         the next condition token to replay (mode 3)
//   bodyReadAt         the next body token to replay (mode 4)
//   tempReadAt         where a loop nested in this one reads its first pass
//                      while this one replays (modes 5 and 6)
//   readsFrom          the level whose tempReadAt this loop's own first pass
//                      reads through; none when it reads the source
//   outermost          the outermost level, which holds every node
//
// The lexer mode LAMode says where lex gets a token and what it records:
//   0 kReadSource          source                    nothing
//   1 kRecordCondition     source                    top condList
//   2 kRecordBody          source                    top bodyList
//   3 kReplayCondition     top condReadAt            nothing
//   4 kReplayBody          top bodyReadAt            nothing
//   5 kLookAheadCondition  readsFrom->tempReadAt     top condList
//   6 kLookAheadBody       readsFrom->tempReadAt     top bodyList
// Every level's body must hold its block once, in source order, and a nested
// loop's tokens belong to the bodies of all the loops around it. So each
// token is stored once: the outermost level's lists are its own nodes, and
// every nested level's list is a span first..last of the outermost body. A
// token scanned from the source for a nested loop is appended to the
// outermost body and the top level's span grows over it; the spans of the
// levels between need no update, since each ends at its own FINISH, read
// later. A token read through readsFrom is in the outermost body already, so
// the top level's span just grows over it. Nothing is copied per level and
// only the outermost level frees nodes. Replay reads a list or span in place
// and wraps to its first node after its last.
//
// Worked trace: DOKAD ($i < 2) { DOKAD ($j < 1) { S; } FINISH; T; } FINISH;
//  Outer first pass, from the source (level O, mode 0 before it):
//   1. dokad(O) adds O; mode 1: "$i < 2 )" go to O.cond.
//   2. mode 2: "{ DOKAD (" go to O.body; the inner dokad starts.
//   3. dokad(I) adds I (readsFrom none: the mode was 2, the source); mode 1:
//      "$j < 1 )" go to O.body, I.cond spans them; mode 2: "{ S ; } FINISH"
//      go to O.body, I.body spans them.
//   4. I replays its spans in modes 3 and 4, recording nothing; then I is
//      removed and mode 2 returns: "; T ; } FINISH" go to O.body.
//  Outer replay (O.body = "{ DOKAD ( $j < 1 ) { S ; } FINISH ; T ; } FINISH"):
//   5. mode 3 replays O.cond; mode 4 replays O.body: "{", "DOKAD", "(";
//      O.bodyReadAt now stands at "$j".
//   6. dokad(I) adds a fresh I with readsFrom = O (the mode was 4) and sets
//      O.tempReadAt = O.bodyReadAt. Modes 5 and 6 read I's first pass
//      through O.tempReadAt, "$j" up to FINISH: I.cond spans "$j" to ")",
//      I.body "{" to FINISH.
//   7. I replays its spans (modes 3 and 4). On leaving, O.bodyReadAt takes
//      O.tempReadAt, just past I's FINISH (WH_ResumeAfterNested); I is
//      removed, mode 4 returns and O's replay goes on with "; T ; } FINISH".
//  A loop met during I's look-ahead first pass (mode 5 or 6) reads through
//  the same level I does (readsFrom = I->readsFrom) and its spans lie inside
//  I's, so loops nest to any depth. Reading through O stops at the end of
//  O's body: past it, end of input is delivered, so every span stays one
//  run of connected nodes.
#include <algorithm>
#include <cstring>
#include <new>

#include "arena.h"
#include "procedures.h"

namespace plimbo {

namespace {

std::size_t recordedTokens = 0;    // token nodes held by the levels
TokenNode* lastRecorded = nullptr; // the node the current token was recorded in, if it was
std::size_t appendedTokens = 0;    // tokens recorded in this run, all lists together
Arena nodeArena;                   // the nodes of the outermost loop's recording
WhileLevel* spareLevels = nullptr; // removed levels kept for the next loops (linked by prev)
#ifdef FUZZ_BUDGET
std::size_t replayedTokens = 0;    // tokens read back from the recorder in this run
#endif

// The token delivered where a list to read from is missing.
Token endOfInput = {1, kEndOfInput, kNoWord, false, 0, nullptr, nullptr, {kEndOfInputText, '\0'}};

// Bytes a recorded token keeps of a text of length characters: up to the
// end of the 8-byte word its terminator is in (names are read whole words
// at a time), and kShortTokenText at least.
constexpr std::size_t textRoom(std::size_t length) {
  return std::max(kShortTokenText, (length / 8 + 1) * 8);
}
static_assert(textRoom(kMaxTokenLength) == kTokenTextSize, "a recorded text is never longer than a token's");

// Bytes of a node that holds a text of length characters.
constexpr std::size_t nodeSize(std::size_t length) {
  return offsetof(TokenNode, token) + offsetof(Token, text) + textRoom(length);
}

// Appends a copy of the current token to the list first..last and returns
// its node, or none when the recorder is full (the run then stops).
TokenNode* appendToken(TokenNode*& first, TokenNode*& last) {
  if (recordedTokens >= kMaxRecordedTokens) {
    refuseRecord("WH_PD_insert", "cyklus je prilis dlouhy");
    return nullptr;
  }
  const Token& token = *tok_n;
  void* memory = nodeArena.allocate(nodeSize(token.length), alignof(TokenNode));
  if (memory == nullptr) {
    outOfMemory();
    return nullptr;
  }
  ++recordedTokens;
  ++appendedTokens;
  // The fields and the used part of the text; the rest of the kept room is
  // zero.
  auto* node = static_cast<TokenNode*>(memory);
  const std::size_t used = offsetof(Token, text) + token.length + 1;
  std::memcpy(&node->token, &token, used);
  std::memset(reinterpret_cast<char*>(&node->token) + used, 0, nodeSize(token.length) - offsetof(TokenNode, token) - used);
  node->next = nullptr;
  if (last == nullptr)
    first = node;
  else
    last->next = node;
  last = node;
  return node;
}

// Hands out the node at position as the current token and moves position
// on, back to restart where the next node would be end (the node after the
// list's last one, none at the end of a list). A fuzz build reads end of
// input once its replay budget is spent.
void readToken(TokenNode*& position, const TokenNode* end, TokenNode* restart) {
#ifdef FUZZ_BUDGET
  if (++replayedTokens > kReplayBudget) position = nullptr;
#endif
  if (position == nullptr) {
    tok_n = &endOfInput;
    return;
  }
  tok_n = &position->token;
  position = position->next != end ? position->next : restart;
}

// Extends the span first..last of the outermost recording to node, the one
// after last (or the span's first node).
void extendSpan(TokenNode*& first, TokenNode*& last, TokenNode* node) {
  if (first == nullptr) first = node;
  last = node;
}

}  // namespace

void WH_PD_addLevel() {
  WhileLevel* level = spareLevels;
  if (level != nullptr) {
    spareLevels = level->prev;
    *level = WhileLevel{};
  } else {
    level = new (std::nothrow) WhileLevel{};
    if (level == nullptr) return outOfMemory();
  }
  level->prev = While_PD;
  level->outermost = While_PD != nullptr ? While_PD->outermost : level;
  // The first pass reads the source, the body of the enclosing loop that is
  // replaying, or whatever the enclosing first pass itself reads through.
  if (LAMode == kReplayBody)
    level->readsFrom = While_PD;
  else if (isLookAhead(LAMode) && While_PD != nullptr)
    level->readsFrom = While_PD->readsFrom;
  While_PD = level;
}

void WH_PD_removeLevel() {
  WhileLevel* level = While_PD;
  if (level == nullptr) return;
  While_PD = level->prev;
  // Every node, and every form kept with one, belongs to the outermost
  // level's lists.
  if (level->prev == nullptr) {
    WH_List_free(level->bodyList);
    WH_List_free(level->condList);
    nodeArena.release();
    formsRelease();
  }
  level->prev = spareLevels;
  spareLevels = level;
}

void WH_ResetReadAts() {
  WhileLevel* level = While_PD;
  if (level == nullptr) return;
  level->condReadAt = level->condList;
  level->bodyReadAt = level->bodyList;
  level->condEnd = level->condLast != nullptr ? level->condLast->next : nullptr;
  level->bodyEnd = level->bodyLast != nullptr ? level->bodyLast->next : nullptr;
}

void WH_ResetTempReadAt() {
  if (While_PD == nullptr) return;
  WhileLevel* level = While_PD->prev != nullptr ? While_PD->prev : While_PD;
  level->tempReadAt = level->bodyReadAt;
}

// A loop that started inside a replay has read its first pass through the
// replaying level's look-ahead position; that replay resumes after the loop.
void WH_ResumeAfterNested() {
  WhileLevel* outer = While_PD != nullptr ? While_PD->readsFrom : nullptr;
  if (outer != nullptr) outer->bodyReadAt = outer->tempReadAt;
}

void WH_PD_insert() {
  WhileLevel* level = While_PD;
  lastRecorded = nullptr;
  if (level == nullptr || (LAMode != kRecordCondition && LAMode != kRecordBody)) return;
  const bool condition = LAMode == kRecordCondition;
  TokenNode*& first = condition ? level->condList : level->bodyList;
  TokenNode*& last = condition ? level->condLast : level->bodyLast;
  if (level->prev == nullptr) {
    lastRecorded = appendToken(first, last);
    return;
  }
  // A nested loop's tokens belong to the body of every loop around it: they
  // are stored once, in the outermost body, and this level's list grows as
  // a span of it.
  WhileLevel* outermost = level->outermost;
  lastRecorded = appendToken(outermost->bodyList, outermost->bodyLast);
  if (lastRecorded != nullptr) extendSpan(first, last, lastRecorded);
}

std::size_t WH_PD_recordedCount() { return appendedTokens; }

TokenNode* recordedNode() {
  return LAMode == kRecordCondition || LAMode == kRecordBody ? lastRecorded : nullptr;
}

bool WH_PD_canSkip([[maybe_unused]] std::size_t tokens) {
#ifdef FUZZ_BUDGET
  return replayedTokens + tokens <= kReplayBudget;
#else
  return true;
#endif
}

bool WH_PD_passOver([[maybe_unused]] std::size_t tokens) {
#ifdef FUZZ_BUDGET
  if (replayedTokens + tokens > kReplayBudget) return false;
  replayedTokens += tokens;
#endif
  return true;
}

void WH_PD_readFrom(TokenNode* node, [[maybe_unused]] std::size_t tokens) {
  WhileLevel* level = While_PD;
#ifdef FUZZ_BUDGET
  replayedTokens += tokens - 1;  // the one read here counts itself
#endif
  if (LAMode == kReplayCondition) {
    level->condReadAt = node;
    readToken(level->condReadAt, level->condEnd, level->condList);
  } else {
    level->bodyReadAt = node;
    readToken(level->bodyReadAt, level->bodyEnd, level->bodyList);
  }
}

void WH_PD_read() {
  WhileLevel* level = While_PD;
  if (level == nullptr)
    tok_n = &endOfInput;
  else if (LAMode == kReplayCondition)
    readToken(level->condReadAt, level->condEnd, level->condList);
  else
    readToken(level->bodyReadAt, level->bodyEnd, level->bodyList);
}

void WH_PD_readAhead() {
  WhileLevel* source = While_PD != nullptr ? While_PD->readsFrom : nullptr;
  if (source == nullptr) {
    tok_n = &endOfInput;
    return;
  }
  TokenNode* node = source->tempReadAt;
  // Reading on past the end of the source's body would leave the spans of
  // the levels reading through it unconnected: end of input follows instead.
  readToken(source->tempReadAt, source->bodyEnd, nullptr);
  if (tok_n == &endOfInput) return;
  // The top level's span grows by the node; the enclosing levels that read
  // through the same source hold it already, since each of their spans ends
  // at their own FINISH, read after this loop's.
  WhileLevel* level = While_PD;
  if (LAMode == kLookAheadCondition)
    extendSpan(level->condList, level->condLast, node);
  else
    extendSpan(level->bodyList, level->bodyLast, node);
}

void WH_List_free(TokenNode* list) {
  // The nodes go with their arena, which the outermost level releases once
  // both its lists are off the count.
  for (; list != nullptr; list = list->next) --recordedTokens;
}

void WH_PD_free() {
  while (While_PD != nullptr) WH_PD_removeLevel();
  while (spareLevels != nullptr) {
    WhileLevel* level = spareLevels;
    spareLevels = level->prev;
    delete level;
  }
  nodeArena.release();
  formsRelease();
  lastRecorded = nullptr;
  appendedTokens = 0;
  recordedTokens = 0;
#ifdef FUZZ_BUDGET
  replayedTokens = 0;
#endif
}

}  // namespace plimbo
