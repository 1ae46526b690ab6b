// The interpreter's whole state: one copy of every global, declared here and
// defined in globals.cpp. reset() returns all of it to the start-up values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <unordered_map>

namespace plimbo {

// Room for a token text: 255 characters and the terminator.
constexpr std::size_t kTokenTextSize = 256;
// Room for a value text in an exchange or operand buffer: 254 characters and
// the terminator.
constexpr std::size_t kValueSize = 255;
// Deepest nesting of blocks and expressions (counted together) that a program
// may use before the run stops with a diagnostic instead of exhausting the
// stack.
constexpr int kMaxNesting = 15000;
// Most values the pushdown may hold at once (a call leaves its earlier
// arguments there, so a loop of calls makes it grow).
constexpr std::size_t kMaxPushdownDepth = 250000;
// Most token nodes the loop recorder may hold at once (nested loops record
// their tokens once per enclosing level).
constexpr std::size_t kMaxRecordedTokens = 500000;
// Most variables the symbol table may hold.
constexpr std::size_t kMaxSymbols = 500000;
#ifdef FUZZ_BUDGET
// Fuzz builds only: replayed tokens after which a still-looping program is
// abandoned (every further replayed token reads as end of input).
constexpr std::size_t kReplayBudget = 100000;
#endif

using TokenText = std::array<char, kTokenTextSize>;
using ValueText = std::array<char, kValueSize>;

// Token classes, the values of Token::type.
enum TokenClass : std::int32_t {
  kBadCharacter = 0,  // a character that can begin no token
  kNumber = 1,
  kString = 2,
  kAssignment = 3,
  kVariable = 4,
  kBrace = 5,
  kCallName = 6,
  kDeclarationName = 7,
  kKeyword = 8,
  kComment = 9,
  kWhiteSpace = 10,
  kSemicolon = 11,
  kOperator = 12,
  kEndOfInput = 13,
};

// Where lex takes its tokens from and whether it records them.
enum LexerMode : std::int32_t {
  kReadSource = 0,          // source stream, no recording
  kRecordCondition = 1,     // source stream, into the loop's condition list
  kRecordBody = 2,          // source stream, into the loop's body list
  kReplayCondition = 3,     // the loop's own condition list
  kReplayBody = 4,          // the loop's own body list
  kLookAheadCondition = 5,  // a replaying enclosing body, into the condition list
  kLookAheadBody = 6,       // a replaying enclosing body, into the body list
};

// buffer's value while no character is pushed back. Characters are 0 to 255
// and end of input is -1, so a pushed-back NUL byte stays a character.
constexpr std::int32_t kNoPushback = -2;

// The text of the end-of-input token: the single byte 0xFF.
constexpr char kEndOfInputText = '\xFF';

// The current token.
struct Token {
  TokenText text;     // token text, NUL-terminated
  std::int32_t type;  // a TokenClass value
};

// One variable of the symbol table.
struct SymbolRecord {
  TokenText name;      // the variable's name with its leading '$'
  TokenText value;     // its current value text
  SymbolRecord* next;  // the record created before this one
};

// One entry of the value pushdown.
struct PushdownRecord {
  TokenText value;       // the pushed value text
  PushdownRecord* next;  // the entry below this one
};

// One recorded token of a loop.
struct TokenNode {
  TokenText text;     // token text
  std::int32_t type;  // token class
  TokenNode* next;    // the token recorded after this one
};

// One loop being executed, on the stack rooted in While_PD.
struct WhileLevel {
  TokenNode* condList;    // first node of the recorded condition
  TokenNode* condLast;    // last node of the recorded condition
  TokenNode* condReadAt;  // next condition token to replay
  TokenNode* bodyList;    // first node of the recorded body
  TokenNode* bodyLast;    // last node of the recorded body
  TokenNode* bodyReadAt;  // next body token to replay
  TokenNode* tempReadAt;  // look-ahead position for a loop met while this one replays
  WhileLevel* prev;       // enclosing level, none for the outermost loop
  WhileLevel* readsFrom;  // level whose look-ahead position this loop's first
                          // pass reads through; none when it reads the source
};

extern Token tok_n;                  // the current token
extern std::int32_t buffer;          // pushed-back character, -1 end of input, kNoPushback when none
extern std::int32_t LAError;         // lexical error flag, set by a bad character
extern std::int64_t lineNo;          // source line the lexer stands on
extern std::int32_t LAMode;          // a LexerMode value
extern std::int32_t SAError;         // status of the syntax analysis, 0 success
extern PushdownRecord* Pushdown_root;   // top of the value pushdown
extern PushdownRecord* Pushdown_spare;  // popped records kept for the next pushes
extern SymbolRecord* SymbolTable_root;  // newest symbol record
extern std::int32_t if_flag;         // 0 while effects are suppressed
extern WhileLevel* While_PD;         // innermost loop level
extern std::FILE* f;                 // the program's source stream
extern std::FILE* inputStream;       // the stream NASAJ reads words from
extern ValueText STAcces;            // exchange buffer of the symbol table
extern ValueText PDAcces;            // exchange buffer of the pushdown
extern ValueText ops1;               // right operand, unary operand, input word
extern ValueText ops2;               // left operand
extern std::unordered_map<std::string_view, SymbolRecord*> symbolIndex;  // name -> record, keys point into the records
extern int nestingDepth;             // blocks and expressions currently open
extern std::size_t pushdownDepth;    // records on the pushdown
extern std::size_t recordedTokens;   // token nodes held by the loop recorder
#ifdef FUZZ_BUDGET
extern std::size_t replayedTokens;   // tokens read back from the recorder in this run
#endif
extern std::int32_t runStopped;      // 1 once a store, the memory, the source or the output failed

// Returns every global to its start-up value and releases all storage.
void reset();

// Copies the C string src into dst from position at on, keeping what fits
// before the terminator; returns the length of the text in dst. Every copy
// into a fixed buffer goes through here.
template <std::size_t N>
std::size_t copy_text(std::array<char, N>& dst, const char* src, std::size_t at = 0) {
  std::size_t n = at < N - 1 ? at : N - 1;
  for (; n < N - 1 && *src != '\0'; ++n) dst[n] = *src++;
  dst[n] = '\0';
  return n;
}

}  // namespace plimbo
