// The loop token stack: one level per running loop, holding the recorded
// tokens of its condition and body and the cursors they are replayed from.
//
// Design note (the loop statement, loop.cpp, drives it; read this first)
//
// Modes (rezim_LA), by where Lex takes the next token from:
//   kSource                   the source file, nothing recorded
//   kSourceCondition/Body     the source file; recorded into the top level's
//                             condition/body list
//   kReplayCondition/Body     the top level's own condition/body list, at its
//                             conditionCursor/bodyCursor (wrapping to the head)
//   kLookAheadCondition/Body  the recording of `source`, the nearest enclosing
//                             level that is replaying, at its lookAheadCursor;
//                             the top level's list grows over the token read
// A level therefore has three cursors: conditionCursor and bodyCursor for its
// own replays, and lookAheadCursor, through which a loop nested in it reads
// its first pass while this level replays. `source` is null for a level whose
// first pass reads the file.
//
// Every level's body must hold its block once, in source order, and a nested
// loop's tokens belong to the bodies of all the loops around it. So each token
// is stored once: the outermost level's lists are its own nodes, and every
// nested level's list is a span first..last of the outermost body (`end` is
// the node after last, where a replay wraps). A token scanned for a nested
// loop is appended to the outermost body and the top level's span grows over
// it; the spans of the levels between need no update, since each ends at its
// own "w2_end", read later. A token read through a look-ahead cursor is in
// the outermost body already, so the top level's span just grows over it.
// Nothing is copied per level and only the outermost level frees nodes.
//
// Worked trace: { w2 (@i < 2) { @j -> 0; w2 (@j < 1) { @j -> @j + 1; } w2_end;
//                 @i -> @i + 1; } w2_end; }  with outer loop O, inner loop I.
//  1. O is met in kSource: level O is pushed; kSourceCondition scans
//     "@i < 2 )" into O.condition; kSourceBody scans "{ @j -> 0 ;" into
//     O.body, executing it.
//  2. I is met in kSourceBody: level I is pushed above O. "@j < 1 )" goes into
//     O.body and I.condition spans it; "{ @j -> @j + 1 ; } w2_end" goes into
//     O.body and I.body spans it. I replays its spans (kReplayCondition/Body)
//     until its condition fails, is popped, and the mode returns to
//     kSourceBody.
//  3. "; @i -> @i + 1 ; } w2_end" finishes O.body, which now holds O's whole
//     body once, I's tokens included.
//  4. O replays: its cursors are rewound, kReplayCondition reads O.condition,
//     kReplayBody reads O.body up to I's "w2" "(". I is met again in
//     kReplayBody: a fresh level I is pushed with source = O, and
//     Obnov_pom_zas sets O.lookAheadCursor = O.bodyCursor (at "@j").
//     kLookAheadCondition/Body read I's tokens through O.lookAheadCursor,
//     while O.bodyCursor stays put: I's condition spans "@j" to ")", its body
//     "{" to "w2_end".
//  5. I replays its spans. When it ends, O.bodyCursor takes O.lookAheadCursor
//     (just past I's "w2_end"), I is popped, and O's replay resumes in
//     kReplayBody with the ";" after it.
// A loop met in kLookAheadBody (three deep) gets the same `source` as the
// level around it and reads on through that level's lookAheadCursor, so
// every loop reads its tokens exactly as if they came from the file; its
// spans lie inside the spans of the levels around it. The look-ahead cursor
// stops at the end of `source`'s body (end of input follows), so a span is
// always one run of connected nodes.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "arena.h"
#include "procedures.h"

namespace m4t4 {
namespace {

int64_t recordedTokenCount = 0;  // recorded token nodes alive on the stack
LoopLevel* spareLevels = nullptr;  // popped levels kept for the next loops (linked by enclosing)
TokenNode* lastRecorded = nullptr;  // the node appended last, null after a refused append
std::size_t appendedTokens = 0;     // tokens recorded in this run, all lists together
#ifdef FUZZ_BUDGET
int64_t replayedTokens = 0;  // tokens read back from the loop token stack in this run
#endif
// End of input, for a replay that finds no node.
Token endToken{kEnd, 1, kNoWord, nullptr, {}, nullptr, {kEndOfInputChar, '\0'}};
Arena nodeArena;  // the nodes of the outermost level's lists

// Bytes a recorded token keeps of a text of length characters: up to the
// end of the 8-byte word its terminator is in (names are hashed whole words
// at a time), and kShortText at least.
constexpr std::size_t textRoom(std::size_t length) {
  return std::max(kShortText, (length / 8 + 1) * 8);
}
static_assert(textRoom(kTokenTextSize - 1) == kTokenTextSize, "a recorded text is never longer than a token's");

// Bytes of a node that holds a text of length characters.
constexpr std::size_t nodeSize(std::size_t length) {
  return offsetof(TokenNode, token) + offsetof(Token, text) + textRoom(length);
}

// Appends a copy of the current token to the list and returns its node, or
// null when it could not be recorded: then the run stops with this token.
TokenNode* appendNode(TokenList& list) {
  lastRecorded = nullptr;
  if (recordedTokenCount >= kMaxRecordedTokens) {
    refuseRecord("While", "cyklus je prilis dlouhy");
    return nullptr;
  }
  const Token& token = *token_buffer;
  void* memory = nodeArena.allocate(nodeSize(token.length), alignof(TokenNode));
  if (memory == nullptr) {
    refuseRecord("Vloz_do_zas_cykl", "nedostatek pameti");
    return nullptr;
  }
  ++recordedTokenCount;
  ++appendedTokens;
  // The fields and the used part of the text (a scanned token has no form);
  // the rest of the kept room is zero.
  auto* node = static_cast<TokenNode*>(memory);
  node->next = nullptr;
  const std::size_t used = offsetof(Token, text) + token.length + 1;
  std::memcpy(&node->token, &token, used);
  std::memset(reinterpret_cast<char*>(&node->token) + used, 0, nodeSize(token.length) - offsetof(TokenNode, token) - used);
  if (list.last == nullptr) {
    list.first = node;
  } else {
    list.last->next = node;
  }
  list.last = node;
  lastRecorded = node;
  return node;
}

// Makes a recorded token the current one, in place; a missing node reads as
// end of input, and so does every token once a fuzz build's budget is spent.
void replayNode(TokenNode* node) {
#ifdef FUZZ_BUDGET
  if (++replayedTokens > kReplayBudget) node = nullptr;
#endif
  token_buffer = node != nullptr ? &node->token : &endToken;
}

// Extends the span `list` of the outermost body to node, the one after its
// last (or its first node).
void extendSpan(TokenList& list, TokenNode* node) {
  if (list.first == nullptr) list.first = node;
  list.last = node;
}

// Where a replay of the list wraps: the node after its last.
void sealList(TokenList& list) { list.end = list.last != nullptr ? list.last->next : nullptr; }

}  // namespace

void Zvys_zas() {
  LoopLevel* level = spareLevels;
  if (level != nullptr) {
    spareLevels = level->enclosing;
    *level = LoopLevel{};
  } else {
    level = new (std::nothrow) LoopLevel;
    if (level == nullptr) return refuseRecord("Zvys_zas", "nedostatek pameti");
  }
  level->enclosing = zasobnik;
  level->outermost = zasobnik != nullptr ? zasobnik->outermost : level;
  zasobnik = level;
  ++loopLevelCount;
}

void Sniz_zas() {
  if (zasobnik == nullptr) return;
  LoopLevel* level = zasobnik;
  zasobnik = level->enclosing;
  // Every node belongs to the outermost level's lists.
  if (level->enclosing == nullptr) {
    Uvolni_sez(level->body.first);
    Uvolni_sez(level->condition.first);
    nodeArena.release();
    formsRelease();
    lastRecorded = nullptr;
  }
  level->enclosing = spareLevels;
  spareLevels = level;
  --loopLevelCount;
}

void Obnov_zas() {
  if (zasobnik == nullptr) return;
  zasobnik->conditionCursor = zasobnik->condition.first;
  zasobnik->bodyCursor = zasobnik->body.first;
  sealList(zasobnik->condition);
  sealList(zasobnik->body);
}

void Obnov_pom_zas() {
  if (zasobnik == nullptr) return;
  LoopLevel* target = zasobnik->enclosing != nullptr ? zasobnik->enclosing : zasobnik;
  target->lookAheadCursor = target->bodyCursor;
}

void Vloz_do_zas_cykl() {
  LoopLevel* top = zasobnik;
  if (top == nullptr) return;
  // A token read through a look-ahead cursor is recorded already: the top
  // level's span grows over it (readThroughLookAhead).
  if (rezim_LA != kSourceCondition && rezim_LA != kSourceBody) return;
  TokenList& list = rezim_LA == kSourceCondition ? top->condition : top->body;
  if (top->enclosing == nullptr) {
    appendNode(list);
    return;
  }
  // A nested loop's token is stored once, in the outermost body.
  if (TokenNode* node = appendNode(top->outermost->body)) extendSpan(list, node);
}

void replayTop(TokenNode*& cursor, const TokenList& list) {
  TokenNode* node = cursor;
  replayNode(node);
  if (node == nullptr) return;
  TokenNode* next = node->next;
  cursor = next != list.end ? next : list.first;
}

TokenNode* recordedNode() {
  return rezim_LA == kSourceCondition || rezim_LA == kSourceBody ? lastRecorded : nullptr;
}

std::size_t recordedCount() { return appendedTokens; }

bool replayHasRoom([[maybe_unused]] std::size_t tokens) {
#ifdef FUZZ_BUDGET
  return replayedTokens + static_cast<int64_t>(tokens) <= kReplayBudget;
#else
  return true;
#endif
}

void replayFrom(TokenNode* node, std::size_t tokens) {
  LoopLevel* top = zasobnik;
  if (top == nullptr) return;
#ifdef FUZZ_BUDGET
  replayedTokens += static_cast<int64_t>(tokens) - 1;  // (replayNode counts the last one)
#else
  static_cast<void>(tokens);
#endif
  if (rezim_LA == kReplayCondition) {
    top->conditionCursor = node;
    replayTop(top->conditionCursor, top->condition);
  } else {
    top->bodyCursor = node;
    replayTop(top->bodyCursor, top->body);
  }
}

void Cti_ze_zas() {
  LoopLevel* top = zasobnik;
  if (top == nullptr) return;
  if (rezim_LA == kReplayCondition) replayTop(top->conditionCursor, top->condition);
  if (rezim_LA == kReplayBody) replayTop(top->bodyCursor, top->body);
}

// Modes 5 and 6: the first pass of a loop reads the recording of the
// replaying level it started in, through that level's look-ahead cursor.
void readThroughLookAhead() {
  LoopLevel* top = zasobnik;
  if (top == nullptr || top->source == nullptr) return;
  LoopLevel* source = top->source;
  TokenNode* node = source->lookAheadCursor;
  replayNode(node);
  if (node == nullptr || token_buffer == &endToken) return;
  extendSpan(rezim_LA == kLookAheadCondition ? top->condition : top->body, node);
  // Past the end of source's body comes end of input, so spans stay connected.
  source->lookAheadCursor = node->next != source->body.end ? node->next : nullptr;
}

void Uvolni_sez(TokenNode* first) {
  // The nodes go with their arena, and their forms with theirs, which the
  // outermost level releases once both its lists are off the count.
  for (; first != nullptr; first = first->next) --recordedTokenCount;
}

void Uvolni_zas_cykl() {
  while (zasobnik != nullptr) Sniz_zas();
  while (spareLevels != nullptr) {
    LoopLevel* level = spareLevels;
    spareLevels = level->enclosing;
    delete level;
  }
  nodeArena.release();
  formsRelease();
  loopLevelCount = 0;
  recordedTokenCount = 0;
  appendedTokens = 0;
#ifdef FUZZ_BUDGET
  replayedTokens = 0;
#endif
}

}  // namespace m4t4
