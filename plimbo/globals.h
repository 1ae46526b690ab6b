// The interpreter's shared state: the globals that several files use,
// declared here and defined in globals.cpp, grouped by the file that owns
// them. reset() returns all state to the start-up values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace plimbo {

// Room for a token text: 255 characters and the terminator.
constexpr std::size_t kTokenTextSize = 256;
constexpr std::size_t kMaxTokenLength = kTokenTextSize - 1;
// Bytes the scanner reads from the source at once (a build may set it with
// SOURCE_BLOCK_SIZE; tests build with tiny blocks so that every token
// crosses block edges).
#ifndef SOURCE_BLOCK_SIZE
#define SOURCE_BLOCK_SIZE 65536
#endif
constexpr std::size_t kSourceBlockSize = SOURCE_BLOCK_SIZE;
static_assert(kSourceBlockSize >= 1, "a block holds a character at least");
// Room for a value text: 254 characters and the terminator.
constexpr std::size_t kValueSize = 255;
constexpr std::size_t kMaxValueLength = kValueSize - 1;
// Deepest nesting of blocks and expressions (counted together) that a program
// may use before the run stops with a diagnostic instead of exhausting the
// stack.
constexpr int kMaxNesting = 15000;
// The stack the analysis runs on (stack.cpp): what one level of nesting may
// take in the build at hand, and room for what runs above the deepest level
// (the scanner, a diagnostic, the output). The unit tests measure both with
// the deepest forms (an operand of all four operator chains, in parentheses
// or a call's argument) and hold them to these figures.
#if defined(__SANITIZE_ADDRESS__)
#define PLIMBO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLIMBO_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(PLIMBO_ADDRESS_SANITIZER)
constexpr std::size_t kStackPerLevel = 1312;
constexpr std::size_t kStackMargin = std::size_t{128} << 10;
#elif defined(__OPTIMIZE__)
constexpr std::size_t kStackPerLevel = 480;
constexpr std::size_t kStackMargin = std::size_t{64} << 10;
#else
constexpr std::size_t kStackPerLevel = 1056;
constexpr std::size_t kStackMargin = std::size_t{128} << 10;
#endif
// The stack a run has for the deepest nesting allowed.
constexpr std::size_t kAnalysisStack = kMaxNesting * kStackPerLevel + kStackMargin;
// Most values the pushdown may hold at once (a call leaves its earlier
// arguments there, so a loop of calls makes it grow).
constexpr std::size_t kMaxPushdownDepth = 250000;
// Most token nodes the loop recorder may hold at once (every token of the
// outermost running loop is held once, nested loops included).
constexpr std::size_t kMaxRecordedTokens = 1000000;
// Most variables the symbol table may hold.
constexpr std::size_t kMaxSymbols = 500000;
// Most steps of a loop form (forms.cpp): a longer expression replays through
// the grammar.
constexpr std::size_t kMaxFormSteps = 64;
// Loop forms on (1) or off (0): a build may set LOOP_FORMS=0, and then every
// loop replays through the grammar.
#ifndef LOOP_FORMS
#define LOOP_FORMS 1
#endif
#ifdef FUZZ_BUDGET
// Fuzz builds only: replayed tokens after which a still-looping program is
// abandoned (every further replayed token reads as end of input).
constexpr std::size_t kReplayBudget = 100000;
#endif

using TokenText = std::array<char, kTokenTextSize>;
// Bytes of a token text that are always there to read, a recorded one's too:
// a text shorter than this is copied in one fixed-size move.
constexpr std::size_t kShortTokenText = 16;

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

// The texts the grammar compares tokens with. A token's text is looked up
// once, when it is scanned, whatever its class: a string whose text is ESLI
// is the word ESLI.
enum Word : std::uint8_t {
  kNoWord,
  kZdechni,
  kProm,
  kCte,
  kEsli,
  kJinem,
  kIlse,
  kDokad,
  kFinish,
  kVracee,
  kNasaj,
  kOpenBrace,
  kCloseBrace,
  kOpenParen,
  kCloseParen,
  kSemicolonText,
  kNot,
  // The operators, one per row of the operator table in expressions.cpp.
  kOr,
  kAnd,
  kLess,
  kGreater,
  kEqual,
  kNotEqual,
  kLessEqual,
  kGreaterEqual,
  kPlus,
  kMinus,
  kTimes,
  kDivide,
  kRemainder,
  kWordCount,
};

// Whether the word is an operator: the operators are the block kOr to
// kRemainder above.
constexpr bool isOperatorWord(Word word) { return word >= kOr && word <= kRemainder; }

// The text of the end-of-input token: the single byte 0xFF.
constexpr char kEndOfInputText = '\xFF';

struct SymbolRecord;
struct Form;

// A value text with what the operators need to know of it, worked out once
// when the value is made: whether MyIsdigit accepts it and, if so, its atof.
// An integer result of arithmetic, and a fraction of fewer than 2^52
// millionths, gets its text only when the text is read (writeText); until
// then textPending is set and length is 0.
struct Value {
  double number;         // atof(text); 0 when not numeric
  std::uint8_t length;   // characters in text
  bool numeric;          // MyIsdigit(text)
  bool textPending;      // text is not written yet: it is "%f" of number
  std::array<char, kValueSize> text;  // NUL-terminated
};
static_assert(kMaxValueLength <= UINT8_MAX, "a value's length fits its byte");

// A token, as scanned or as recorded for a loop. A recorded token holds only
// the used part of its text (recorder.cpp): text is readable up to the end of
// the 8-byte word its terminator is in, and never less than kShortTokenText
// bytes.
struct Token {
  std::uint16_t length;  // characters in text
  std::int16_t type;     // a TokenClass value
  Word word;             // the word its text is, kNoWord for any other text
  bool numeric;          // numbers and strings: MyIsdigit of the value text
  double number;         // numbers and strings: atof of the value text
  SymbolRecord* symbol;  // variables: the record, once looked up (records live
                         // until the end of the run)
  Form* form;            // a recorded token that begins an assignment or a loop
                         // condition: its form (forms.cpp), once recorded
  TokenText text;        // NUL-terminated
};

// Characters a symbol record holds in itself: a name shorter than
// kInlineName (padded with NUL bytes to whole words) and a value text shorter
// than kInlineValue. A longer name is kept apart for the whole run; a longer
// value text goes to a buffer of the record's own, made the first time one is
// stored and kept for the later ones.
constexpr std::size_t kInlineName = 16;
constexpr std::size_t kInlineValue = 20;

// One variable of the symbol table, one cache line: a search and a read or
// write of a short value touch nothing else. The record starts with its
// value's fields where a Value has them, followed by inlineText where a Value
// has its text, so that a value moves between the two as one block of
// kValueHead bytes (and, when long, its text).
struct alignas(64) SymbolRecord {
  double number;                  // value: atof of its text; 0 when not numeric
  std::uint8_t length;            // value: characters in its text
  bool numeric;                   // value: MyIsdigit of its text
  bool textPending;               // value: its text is not written yet (length is 0)
  char inlineText[kInlineValue];  // value: its text when shorter than kInlineValue
  std::uint8_t nameLength;        // characters in the name
  char* longText;                 // value: its text when kInlineValue characters or
                                  // longer; none until such a text is first stored
  SymbolRecord* next;             // the record created before this one
  union {
    char inlineName[kInlineName];  // the name, when shorter than kInlineName
    const char* longName;          // else the name, padded the same way
  };

  // The variable's name with its leading '$', NUL-terminated and readable up
  // to the end of its last 8-byte word.
  const char* name() const { return nameLength < kInlineName ? inlineName : longName; }
};
static_assert(sizeof(SymbolRecord) == 64, "a symbol record is one cache line");
// The part of a record that a value is copied into and out of whole.
constexpr std::size_t kValueHead = offsetof(SymbolRecord, nameLength);
static_assert(offsetof(SymbolRecord, number) == offsetof(Value, number) &&
                  offsetof(SymbolRecord, length) == offsetof(Value, length) &&
                  offsetof(SymbolRecord, numeric) == offsetof(Value, numeric) &&
                  offsetof(SymbolRecord, textPending) == offsetof(Value, textPending) &&
                  offsetof(SymbolRecord, inlineText) == offsetof(Value, text) &&
                  kValueHead == offsetof(Value, text) + kInlineValue,
              "a record's value is laid out as a Value");

// One entry of the value pushdown.
struct PushdownRecord {
  Value value;           // the pushed value
  PushdownRecord* next;  // the entry below this one
};

// One recorded token of a loop, carved with only the used part of its text
// (recorder.cpp).
struct TokenNode {
  TokenNode* next;  // the token recorded after this one
  Token token;      // its text last: cut to its used part
};

// One step of a loop form: the postfix order in which the grammar pushed the
// operands and applied the operators of an expression.
struct FormStep {
  // kText: a literal that is no numeric text; it is pushed with its text,
  // alone or as an operand of a text operator.
  enum Kind : std::uint8_t {
    kConstant,  // push constant, the number of a numeric literal
    kVariable,  // push the record's number, which must be numeric
    kOperator,  // apply op to the two values on top
    kNegation,  // "!" on the value on top
    kText,
  };
  Kind kind;
  Word op;  // kOperator: the operator word
  union {
    double constant;             // kConstant: its number
    const SymbolRecord* record;  // kVariable: its record (records live to the end of the run)
  };
  const Token* literal;  // kConstant, kText: its recorded token (a lone operand is copied with its text)
};

// What a loop's first pass noted of an expression (an assignment's, a loop
// condition, the expression of ESLI or VRACEE), run instead of the grammar on
// the replays it handles exactly (forms.cpp). A form of a block: where a replay that reads the block with effects off
// (a branch not taken, the body of a loop whose condition fails) goes on.
// Read with effects off, a block changes nothing but the read position, and
// its tokens parse as they did on the first pass, at the same nesting. A form
// of a conditional (on its ESLI) in a straight block: the forms of its
// condition and its blocks, for a replay to run the one branch by its
// statements' forms and pass over the other.
struct Form {
  enum Kind : std::uint8_t { kExpression, kBlock, kConditional } kind;
  bool straight;          // kBlock: it holds only assignments that have forms and
                          // conditionals (kConditional)
  std::uint16_t depth;    // kExpression: most values it holds on the pushdown at once;
                          // kBlock (straight) and kConditional: the conditionals nested
                          // one in another in it, itself included
  std::uint16_t count;    // kExpression: steps
  std::int32_t nesting;   // kBlock: nestingDepth before its "{"; kConditional: before its ESLI
  std::uint32_t tokens;   // tokens from the one after the form's first to resume's
  SymbolRecord* target;   // an assignment's variable; none for any other expression
  TokenNode* resume;      // the node of the token after the expression; a block's "}";
                          // a conditional's: the node of the ";" after its ILSE
  TokenNode* first;       // the node of its first token; a block's: the node after its "{"
  // A straight block's first statement, and each statement's following one
  // (none after the last): a replay runs them without reading their tokens.
  const Form* statement;

  // kExpression: its count steps, carved right after it.
  const FormStep* steps() const { return reinterpret_cast<const FormStep*>(this + 1); }
  // kConditional: the forms of its condition, its first block and its JINEM
  // block (none without JINEM), carved right after it.
  const Form* const* parts() const { return reinterpret_cast<const Form* const*>(this + 1); }
};
static_assert(sizeof(Form) % alignof(FormStep) == 0, "the steps follow a form in one block");
static_assert(sizeof(Form) % alignof(const Form*) == 0, "a conditional's parts follow its form in one block");

// One loop being executed, on the stack rooted in While_PD.
struct WhileLevel {
  // The outermost level's lists hold the recorded nodes; every nested level's
  // lists are spans of the outermost body (of readsFrom's body, for a loop
  // whose first pass read through readsFrom, which lies in it too).
  TokenNode* condList;    // first node of the recorded condition
  TokenNode* condLast;    // last node of the recorded condition
  TokenNode* condReadAt;  // next condition token to replay
  TokenNode* bodyList;    // first node of the recorded body
  TokenNode* bodyLast;    // last node of the recorded body
  TokenNode* bodyReadAt;  // next body token to replay
  TokenNode* condEnd;     // node after condLast, where replay wraps (set by WH_ResetReadAts)
  TokenNode* bodyEnd;     // node after bodyLast, where replay wraps (set by WH_ResetReadAts)
  TokenNode* tempReadAt;  // look-ahead position for a loop met while this one replays
  WhileLevel* prev;       // enclosing level, none for the outermost loop
  WhileLevel* outermost;  // the outermost level, which holds the nodes
  WhileLevel* readsFrom;  // level whose look-ahead position this loop's first
                          // pass reads through; none when it reads the source
};

// driver.cpp
extern unsigned SAError;         // status of the syntax analysis, 0 success; set by SA only
extern std::int32_t runStopped;  // 1 once a store, the memory, the source or the output failed
extern int nestingDepth;         // blocks and expressions currently open

// stack.cpp
extern int nestingLimit;  // deepest nesting the run's stack holds: kMaxNesting, or
                          // fewer when the run has less than kAnalysisStack

// lexer.cpp
extern Token* tok_n;          // the current token: the scanned one or a recorded node
extern std::int32_t buffer;   // pushed-back character, -1 end of input, kNoPushback when none
extern std::int32_t LAError;  // lexical error flag, set by a bad character
extern std::int64_t lineNo;   // source line the lexer stands on
extern std::int32_t LAMode;   // a LexerMode value; only dokad changes it
extern std::FILE* f;          // the program's source stream

// stores.cpp
extern PushdownRecord* Pushdown_root;   // top of the value pushdown
extern Value STAcces;                   // exchange buffer of the symbol table
extern Value PDAcces;                   // exchange buffer of the pushdown

// The effects flag, written only by esli and dokad, each restoring it on exit.
// While it is 0 the program is parsed but takes no effect: the stores do
// nothing (ST_insert creates nothing, ST_getValue, ST_saveValue, PD_push and
// PD_pop leave everything as it is), nothing is printed or read, and the
// operators neither compute nor report type errors. Every store operation and
// every statement with an effect tests it itself; callers rely on that and
// call them regardless.
extern std::int32_t if_flag;

// recorder.cpp
extern WhileLevel* While_PD;  // innermost loop level

// expressions.cpp
extern Value ops1;  // right operand; NASAJ reads its input words into it

// forms.cpp
extern bool formRecording;  // a loop's first pass is noting an expression's form

// statements.cpp
extern std::FILE* inputStream;  // the stream NASAJ reads words from, none: reads nothing
extern bool inputMayWait;       // a read of inputStream may wait: the output is written out first

// buffer's value while no character is pushed back. Characters are 0 to 255
// and end of input is -1, so a pushed-back NUL byte stays a character.
constexpr std::int32_t kNoPushback = -2;

// Returns every global to its start-up value and releases all storage.
void reset();

}  // namespace plimbo
