// Global state of the m4t4 interpreter: streams, the current token, the
// stores, the loop token stack and the run status. Every global that several
// files share is declared here once, grouped by the file that owns it, and
// defined in globals.cpp; state that one file alone uses lives in that file.
// reset() returns all of it to its start-up values and releases every
// allocated record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

namespace m4t4 {

// Fixed sizes and limits.
constexpr std::size_t kTokenTextSize = 256;  // token text: 255 characters + NUL
constexpr std::size_t kValueSize = 255;      // exchange/scratch buffer: 254 characters + NUL
constexpr std::size_t kFieldSize = 256;      // name/value field of a record: 255 characters + NUL
constexpr int32_t kMaxNesting = 12000;       // deepest nesting of blocks and expressions
constexpr int32_t kMaxLoopLevels = 100;      // most loop levels active at once
// The stack the analysis runs on (stack.cpp): what one level of nesting may
// take in the build at hand, and room for what runs above the deepest level
// (the scanner, a diagnostic, the output). The unit tests measure both with
// the deepest forms (nested calls, parentheses, conditions and operator
// chains) and hold them to these figures.
#if defined(__SANITIZE_ADDRESS__)  // GCC's AddressSanitizer
#define M4T4_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)  // Clang's
#define M4T4_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(M4T4_ADDRESS_SANITIZER)
constexpr std::size_t kStackPerLevel = 1024;
constexpr std::size_t kStackMargin = std::size_t{128} << 10;
#elif defined(__OPTIMIZE__)
constexpr std::size_t kStackPerLevel = 256;
constexpr std::size_t kStackMargin = std::size_t{64} << 10;
#else
constexpr std::size_t kStackPerLevel = 1024;
constexpr std::size_t kStackMargin = std::size_t{128} << 10;
#endif
// The stack a run has for the deepest nesting allowed.
constexpr std::size_t kAnalysisStack = kMaxNesting * kStackPerLevel + kStackMargin;
constexpr int64_t kMaxRecordedTokens = 1000000;     // most recorded loop tokens alive at once
constexpr int64_t kMaxValues = 250000;              // most values on the value stack at once
constexpr int64_t kMaxVariables = 250000;           // most records in the value table
constexpr std::size_t kOutputBufferSize = 1 << 16;  // output is written in blocks of this size
// The source is read in blocks of this many bytes (a build may choose a tiny
// block, so that its tests meet block edges everywhere).
#ifndef SOURCE_BLOCK_SIZE
#define SOURCE_BLOCK_SIZE 65536
#endif
constexpr std::size_t kSourceBlockSize = SOURCE_BLOCK_SIZE;
static_assert(kSourceBlockSize >= 1, "SOURCE_BLOCK_SIZE must be at least 1");
#ifdef FUZZ_BUDGET
constexpr int64_t kReplayBudget = 100000;  // fuzz builds: replayed tokens before a run is abandoned
#endif
constexpr char kEndOfInputChar = '\xff';                     // text of the end-of-input token
constexpr const char* kUndefinedValue = "hodnota neurcena";  // value of a never-stored variable

using Text = std::array<char, kTokenTextSize>;     // token text field
using ValueBuffer = std::array<char, kValueSize>;  // 255-byte value buffer
using Field = std::array<char, kFieldSize>;        // field of a table record or stack node

// Token classes delivered by the lexer (the numbers are part of the design),
// and the one piece the source listing (listing.h) names besides them.
enum TokenClass : int32_t {
  kDroppedCharacter = -1,  // no class: a character that the scanner drops in
                           // its start state (an upper-case letter, a comma, ...)
  kNumber = 0,        // number
  kString = 1,        // string without its quotes
  kComment = 2,       // comment, never delivered
  kWhiteSpace = 3,    // white space, never delivered
  kSemicolon = 4,     // ";"
  kWord = 5,          // word or keyword
  kBrace = 6,         // "{" or "}"
  kEnd = 7,           // end of input
  kArrow = 8,         // "->"
  kOperator = 9,      // operators and parentheses
  kVariable = 10,     // "@name"
  kCall = 11,         // "~name"
  kDeclaration = 12,  // "?name"
};

// Lexer modes: where the next token comes from and where it is recorded.
enum LexerMode : int32_t {
  kSource = 0,           // source, no recording
  kSourceCondition = 1,  // source, recorded as a loop condition
  kSourceBody = 2,       // source, recorded as a loop body
  kReplayCondition = 3,  // replay of the top level's condition
  kReplayBody = 4,       // replay of the top level's body
  kLookAheadCondition =
      5,               // read through a replaying level's look-ahead cursor, recorded as condition
  kLookAheadBody = 6,  // the same, recorded as body
  kStopped = 7,        // the run has stopped (stopRun): every token is the end of input
};

struct TableRecord;
struct Form;

// The number a value text stands for, when it is known without reading the
// text again: `known` only for numeric text whose atof is exactly `value`
// (number tokens, whole-number results, whose "%f" text is exact, and the
// results of fewer than 2^53 millionths, whose atof is computed exactly).
// `textPending`: the text has not been written yet; it is "%f" of `value`, a
// whole number or a fraction of fewer than 2^52 millionths (see
// writePendingText), and `length` is 0 until it is.
struct KnownNumber {
  bool known = false;
  bool textPending = false;
  double value = 0;
};

// The words and operators the grammar procedures test for. A token's text is
// matched against them once, when the token is scanned, whatever its class
// (a string "(" stands for "(" too); the procedures then compare these ids.
enum Word : uint8_t {
  kNoWord,
  kW2,
  kI2,
  kE2,
  kI2End,
  kW2End,
  kCtiWord,
  kPisWord,
  kPisLnWord,
  kP2,
  kDot,
  kOpenParen,
  kCloseParen,
  kOr,
  kAnd,
  kNot,
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
  kModulo,
  kSemicolonText,
  kOpenBrace,
  kCloseBrace,
};

// A token as scanned or recorded. A recorded token holds only the used part
// of its text (loop_stack.cpp): text is readable up to the end of the 8-byte
// word its terminator is in, and never less than kShortText bytes.
struct Token {
  int32_t tokenClass = kEnd;  // token class
  uint16_t length = 0;        // characters before the terminator
  Word word = kNoWord;        // the word or operator its text spells
  // A variable's table record once it has been looked up; records live until
  // the end of the run, so a replayed token keeps it.
  TableRecord* record = nullptr;
  KnownNumber number;  // a number token's value
  // A recorded token that begins a statement or a condition: its form
  // (forms.cpp), else none. A scanned token never has one.
  const Form* form = nullptr;
  Text text{};  // NUL-terminated text, at most 255 characters; last, as a
                // recorded token keeps only its used part
};

// A recorded token, carved with only the used part of its text
// (loop_stack.cpp).
struct TokenNode {
  TokenNode* next = nullptr;  // next node in source order, null at the end
  Token token;                // copy of the recorded token, its text cut
};

// A list of recorded tokens with O(1) append: the outermost level's own
// nodes, or, for a nested level, a span first..last of the outermost body.
struct TokenList {
  TokenNode* first = nullptr;  // first node, null while empty
  TokenNode* last = nullptr;   // last node, null while empty
  TokenNode* end = nullptr;    // the node after last, where a replay wraps (set by Obnov_zas)
};

// One level of the loop token stack, one per running loop.
struct LoopLevel {
  TokenList condition;                   // recorded condition tokens, up to the closing ")"
  TokenNode* conditionCursor = nullptr;  // next condition token to replay
  TokenList body;                        // recorded body tokens, up to "w2_end"
  TokenNode* bodyCursor = nullptr;       // next body token to replay
  TokenNode* lookAheadCursor = nullptr;  // look-ahead cursor for loops first read during a replay
  LoopLevel* enclosing = nullptr;        // enclosing level, null for the outermost loop
  LoopLevel* outermost = nullptr;        // the outermost level, which holds every node
  LoopLevel* source = nullptr;  // replaying level the first pass reads from; null = source stream
};

// Characters a table record holds in itself: a name shorter than
// kInlineName (padded with NUL bytes to whole words) and a value text shorter
// than kInlineValue (a whole number's "%f" text of up to 15 digits before the
// point and its sign, or 16 without a sign). A longer name is kept apart for
// the whole run (stores.cpp); a longer value text goes to a Field of the
// record's own, made the first time one is stored and kept for every later
// value.
constexpr std::size_t kInlineName = 16;
constexpr std::size_t kInlineValue = 24;

// One variable of the value table, one cache line: finding a variable, and
// reading or writing its number or a short value, touch nothing else. Its
// KnownNumber is held as its three fields (number, known, textPending), so
// that the lengths and flags share one word. Bytes: number 0-7, length 8,
// nameLength 9, known 10, textPending 11, hasLongText 12, the value's text
// 16-39, the name 40-55, next 56-63.
struct alignas(64) TableRecord {
  double number;            // the value's number, when known
  uint8_t length;           // characters of the value
  uint8_t nameLength;       // characters of the name
  bool known;               // KnownNumber::known of the value
  bool textPending;         // KnownNumber::textPending: the text is not written yet (length is 0)
  bool hasLongText;         // the value lives in longText (from the first long one on)
  union {
    char inlineText[kInlineValue];  // the value while hasLongText is not set
    Field* longText;                // else the value's own Field
  };
  union {
    char inlineName[kInlineName];  // the name with its "@", when shorter than kInlineName
    const char* longName;          // else the name, padded the same way, kept apart
  };
  TableRecord* next;  // next older record

  // The value's text (none while textPending).
  char* text() { return hasLongText ? longText->data() : inlineText; }
  const char* text() const { return hasLongText ? longText->data() : inlineText; }
  // The variable's name with its "@", NUL-terminated and readable up to the
  // end of its last 8-byte word.
  const char* name() const { return nameLength < kInlineName ? inlineName : longName; }
  KnownNumber knownNumber() const { return {known, textPending, number}; }
  void setNumber(KnownNumber n) {
    known = n.known;
    textPending = n.textPending;
    number = n.value;
  }
};
static_assert(sizeof(TableRecord) == 64, "a table record is one cache line");
static_assert(offsetof(TableRecord, inlineText) == 16 && offsetof(TableRecord, inlineName) == 40 &&
                  offsetof(TableRecord, next) == 56,
              "the layout its comment gives");
static_assert(kValueSize - 1 <= UINT8_MAX, "a value's or name's length fits its byte");

// Loop forms (forms.cpp): while a loop's first pass reads an assignment, its
// condition or the expression of i2, pis or pis_ln from the source, the
// grammar procedures also note the expression in postfix order; its replays
// run that form on the variables' values instead of parsing the recorded
// tokens again, whenever the form can show that the grammar would compute the
// same. A form belongs to the recorded token it begins with and is released
// with that token.
struct FormStep {
  // kText: a literal whose number is not known (a string); it is pushed with
  // its text, alone or as an operand of a text operator.
  enum Kind : uint8_t { kConstant, kVariable, kOperator, kNegation, kText } kind;
  Word op;  // kOperator: the operator
  union {
    double constant;             // kConstant: the number of a number token
    const TableRecord* record;   // kVariable: its record (records live to the end of the run)
  };
  const Token* literal;  // kConstant, kText: its recorded token, whose text a lone operand copies
};

// A form of an expression, of a block read on a loop's first pass, or of a
// conditional in such a block. A block's form says where a replay that reads
// the block with effects off (a branch not taken, the body of a loop whose
// condition is false) goes on. Read with effects off, a block changes
// nothing but the read position (and the records its tokens keep, which the
// next read finds again), and its tokens parse as they did on the first
// pass, at the same nesting. A block that holds only assignments with forms
// and conditionals with forms is straight: a replay with effects on runs
// them by their forms, without reading their tokens. A conditional's form
// names its condition's and its blocks': a replay runs the block it takes by
// that block's chain where it is straight, and passes over the other.
// Aligned as its steps, which follow it in one block (on every target, the
// 32-bit browser build too).
struct alignas(FormStep) Form {
  enum Kind : uint8_t { kExpression, kBlock, kConditional } kind;
  bool straight;        // kBlock: it holds only assignments and conditionals that have forms
  uint16_t depth;       // kExpression: most values the grammar holds on the value stack at once
                        // for it; kBlock (straight) and kConditional: the conditionals nested
                        // one in another in it, itself included
  uint16_t count;       // kExpression: steps
  int32_t nesting;      // kBlock: nestingDepth before its "{"; kConditional: before its "i2"
  uint32_t tokens;      // tokens read after the first one up to resume
  TableRecord* target;  // an assignment's variable; none for any other expression
  TokenNode* resume;    // node of the token after the expression (";" or ")"); a block's "}";
                        // a conditional's: the node of the ";" after its "i2_end"
  TokenNode* first;     // node of its first token; a block's: the node after its "{"
  // A straight block's first statement, and each statement's following one
  // (none after the last): a replay runs them without reading their tokens.
  const Form* statement;
  FormStep* steps;      // kExpression: in the same allocation, after the form

  // kConditional: the forms of its condition, its first block and its "e2"
  // block (none without "e2"), in the same allocation, after the form.
  const Form* const* parts() const { return reinterpret_cast<const Form* const*>(this + 1); }
};
static_assert(sizeof(Form) % alignof(const Form*) == 0, "a conditional's parts follow its form in one block");
constexpr std::size_t kMaxFormSteps = 64;  // a longer expression gets no form

// One entry of the value stack.
struct StackNode {
  Field text{};               // the value
  std::size_t length = 0;     // characters of the value
  KnownNumber number;         // the value's number, when known
  StackNode* next = nullptr;  // entry below, null at the bottom
};

// driver.cpp: the streams.
extern FILE* f;             // the program source
extern FILE* inputStream;   // the stream cti reads words from
extern bool inputMayWait;   // a read of inputStream may wait: the output is written out first
extern FILE* outputStream;  // program output and diagnostics

// output.cpp
extern bool
    outputIsTerminal;   // outputStream is a terminal: written after every statement that prints
extern int writeError;  // errno of the first failed write, 0 while none failed

// driver.cpp: the run and its status.
// Status of the syntax analysis, 0 = no error. Every grammar procedure
// returns its status (0, 1 for an error it reported, or a callee's status
// passed up unchanged); SA stores the final one here.
extern unsigned chyba_SA;
extern int32_t nestingDepth;  // current nesting depth of blocks and expressions

// stack.cpp
extern int32_t nestingLimit;  // deepest nesting the run's stack holds: kMaxNesting, or
                              // fewer when the run has less than kAnalysisStack
// The run has stopped where it stood (stopRun): a store refused a record
// (full, or out of memory), a loop was too long to record, or output could
// not be written. The diagnostic has been printed already (refuseRecord),
// except for a failed write; nothing more runs or is reported.
extern bool runStopped;

// lexer.cpp
// The current token: the scanner's record, or a node of the loop token
// stack that is being replayed (handed out in place, not copied).
extern Token* token_buffer;
extern Token scanBuffer;     // the token the scanner fills
extern int32_t buffer;       // pushed-back character: 0 none, 1..255, or -1 end of input
extern int64_t cislo_radku;  // 1 + line feeds read from the source so far
extern int32_t rezim_LA;     // lexer mode (LexerMode)

// source.cpp
// errno of a failed read of the source, 0 while none failed (-1 once the
// diagnostics have said so)
extern int readError;

// stores.cpp: the value table and the value stack.
// Effects flag: 0 while code is only parsed (a branch not taken, the body of
// a loop whose condition is false). Only If and While change it, and restore
// it on success; stopRun sets it to 0 for good. While it is 0 every store operation, pis, pis_ln and cti do
// nothing, and applyOperator and LV_1 return at once without popping,
// checking or pushing: the grammar procedures rely on this and call them
// unconditionally.
extern int32_t i2_priznak;
extern TableRecord* vrchol_tab;  // newest record of the value table
extern StackNode* vrchol_zas;    // top of the value stack
extern ValueBuffer hodnota_tab;  // exchange buffer of the table
extern ValueBuffer hodnota_zas;  // exchange buffer of the stack
extern ValueBuffer pom_a;        // right operand / word read by cti
extern ValueBuffer pom_b;        // left operand

// forms.cpp: a loop form is being noted, and nothing has made it one that
// cannot run.
extern bool formNoting;

// loop_stack.cpp: the loop token stack.
extern LoopLevel* zasobnik;       // innermost running loop, null when none
extern int32_t loopLevelCount;    // number of levels on the stack

// Returns every global to its start-up value and frees all storage (the
// file-local state of output.cpp, stores.cpp and loop_stack.cpp included).
void reset();

// Copies at most size-1 characters of src into dst and terminates it.
void copyText(char* dst, std::size_t size, const char* src);

template <std::size_t N>
void copyText(std::array<char, N>& dst, const char* src) {
  copyText(dst.data(), N, src);
}

// Appends src to the text already in dst, keeping at most N-1 characters.
template <std::size_t N>
void appendText(std::array<char, N>& dst, const char* src) {
  std::size_t used = std::string_view(dst.data()).size();
  copyText(dst.data() + used, N - used, src);
}

}  // namespace m4t4
