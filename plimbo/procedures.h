// The interpreter's procedures. Grammar procedures return 0 on success and
// 1 from the procedure that found an error; callers pass a non-zero status up.
#pragma once

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "globals.h"
#include "siphash.h"

namespace plimbo {

// driver.cpp
int run(int argc, char** argv);
// Runs the program read from source; NASAJ reads words from input (none: it
// reads nothing) and everything is printed to output. Returns 0 after a
// successful run, 1 after a failed one and kWriteFailed when output was lost
// (the reason then on standard error). A source whose descriptor is not a
// regular file (a pipe, a terminal) is read through the descriptor, unless
// it is the input too: nothing may have been read from it through the
// stream before.
int interpret(std::FILE* source, std::FILE* input, std::FILE* output = stdout);
constexpr int kWriteFailed = 3;
void man();
unsigned SA();
unsigned Program();
// Prints the diagnostic of a grammar procedure, "(procedure)Chyba (line), "
// and then problem, formatted with the arguments, on a line of its own
// (unless the run was stopped before); returns 1.
unsigned reportProblem(const char* procedure, const char* problem, ...) __attribute__((format(printf, 2, 3)));
// Prints the reason the run stops (unless it was stopped before) and stops it:
// the grammar ends at the next statement.
void stopRun(const char* format, ...) __attribute__((format(printf, 1, 2)));
unsigned syntaxError(const char* procedure, const char* expected);
// The current line, as the diagnostics print it.
inline long long line() { return static_cast<long long>(lineNo); }
// Opens one more level of nesting; past nestingLimit prints the diagnostic
// and returns 1.
unsigned enterNesting(const char* procedure);
void leaveNesting();
void refuseRecord(const char* procedure, const char* problem);
// A store found no memory for what it had to hold: stops the run with the
// message that says so.
void outOfMemory();
unsigned checkStopped();

// stack.cpp
// Runs analysis on a stack reserved for it before it starts, holding
// kAnalysisStack when it can; on less, nestingLimit says how deep the run
// may nest.
void analyseOnReservedStack(void (*analysis)());

// output.cpp
// Directs the output to stream (none: discarded) and forgets any failure.
void startOutput(std::FILE* stream);
// Writes what is waiting; the errno of the first failed write, or 0.
int finishOutput();
// Writes what is waiting, before a read that may wait (for a writer who may
// be waiting for this output).
void flushOutput();
void emit(const char* data, std::size_t size);
// Prints format, whatever the length of the text it makes.
void emitv(const char* format, va_list arguments);
void emitf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void reportWriteError(int error);

// lexer.cpp
// Delivers the next token into tok_n; a bad character sets LAError, which
// nothing else reads: the grammar reports the token it cannot use.
void lex();
// Forgets what was read ahead of the source (at the start and end of a run).
void resetSource();
bool isWhiteSpace(int c);
// The truth test: a number is true when it is not 0, any other text when it
// is not empty.
bool isTrue(const Value& value);
// Lexer modes that read recorded tokens instead of the source.
inline bool readsRecordedTokens(std::int32_t mode) {
  return mode == kReplayCondition || mode == kReplayBody || mode == kLookAheadCondition ||
         mode == kLookAheadBody;
}
// Lexer modes in which a loop's first pass reads through an enclosing level's
// look-ahead position.
inline bool isLookAhead(std::int32_t mode) {
  return mode == kLookAheadCondition || mode == kLookAheadBody;
}

// source.cpp
// Called when a read or write of descriptor has failed: whether to try it
// again. A call interrupted by a signal (EINTR) is tried again at once; on a
// non-blocking descriptor that is not ready (EAGAIN) the events are waited
// for first (POLLIN to read, POLLOUT to write). False for any other failure,
// with errno telling it.
bool waitForDescriptor(int descriptor, short events);
// Whether a read from stream may wait for its writer: the stream has a
// descriptor that is not a regular file (a pipe, FIFO, terminal, socket).
bool readMayWait(std::FILE* stream);
// getc, tried again after a signal and waiting on a non-blocking descriptor
// until a character arrives; EOF at the end of the stream and, with the
// stream's error set, after a failed read.
int getCharacter(std::FILE* stream);
// Reads the next block of the source stream f into into (up to size bytes,
// at least one unless the source has ended); 0 at its end and after a
// failed read, which stops the run with its message.
std::size_t readSource(unsigned char* into, std::size_t size);
// Forgets the source stream chosen for and how it was read.
void forgetSource();
// Reads one whitespace-delimited word of at most 254 kept characters from
// the input stream into word: the empty text when the stream is exhausted
// or there is none. False when the input could not be read: the run is
// stopped with its message.
bool readWord(Value& word);

// numbers.cpp
// Whether number is an integer that a double holds exactly, below 2^53 in
// magnitude; then its "%f" text is its digits and ".000000".
// Integers below this are exact in a double and print without rounding.
constexpr double kExactIntegers = 9007199254740992.0;  // 2^53
inline bool isExactInteger(double number) {
  const double magnitude = number < 0 ? -number : number;
  return magnitude < kExactIntegers &&
         static_cast<double>(static_cast<std::int64_t>(magnitude)) == magnitude;
}
int MyIsdigit(const char* text);
// atof(text), exactly, mostly without strtod.
double toNumber(const char* text);
// Sets numeric and number from the value's text.
void classify(Value& value);
// Sets the value's text to the first 254 characters of text (length bytes);
// numeric and number are left for classify.
void setText(Value& value, const char* text, std::size_t length);
// A number or string token's text as a value.
void valueOfToken(Value& value, const Token& token);
// The text "%d" makes of truth, as a value.
void formatTruth(bool truth, Value& value);
// Writes what "%f" makes of number into out (size bytes); returns its length,
// or size when it does not fit.
std::size_t formatFixed(double number, char* out, std::size_t size);
// formatNumber of a number that is no exact integer.
bool formatFraction(double number, Value& value);
// The text "%f" makes of number, as a value; false when it is longer than a
// value text may be. The text of an integer, or of a fraction of fewer than
// 2^52 millionths, is written only when writeText asks for it.
inline bool formatNumber(double number, Value& value) {
  if (!isExactInteger(number)) return formatFraction(number, value);
  // The text will be the integer and ".000000", which atof reads back as the
  // number: most results are only ever used as numbers.
  value.length = 0;
  value.numeric = true;
  value.textPending = true;
  value.number = number;
  return true;
}
// fmod(dividend, divisor), by integer arithmetic when both are integers
// below 2^53 in magnitude and the divisor is not 0.
double remainderOf(double dividend, double divisor);
void writePendingText(Value& value);
// Writes the value's text if it is still pending. The exchange buffers
// STAcces and PDAcces always hold written texts.
inline void writeText(Value& value) {
  if (value.textPending) writePendingText(value);
}

// stores.cpp
// Copies a value: its fields and the used part of its text. A short text is
// copied with a fixed size, which the compiler does in a few moves.
inline void copyValue(Value& to, const Value& from) {
  constexpr std::size_t kShortCopy = 48;
  if (from.length < kShortCopy - offsetof(Value, text))
    std::memcpy(&to, &from, kShortCopy);
  else
    std::memcpy(&to, &from, offsetof(Value, text) + from.length + 1);
}
// Copies a variable's value into a value.
inline void loadValue(Value& to, const SymbolRecord& from) {
  std::memcpy(static_cast<void*>(&to), &from, kValueHead);
  if (from.length >= kInlineValue) std::memcpy(to.text.data(), from.longText, from.length + 1u);
}
// Makes the buffer of a record's long value texts (kValueSize bytes); none
// when there is no memory for it (the run then stops).
char* makeLongText();
// Stores a value as a variable's value. A text too long for the record goes
// to the record's own buffer, made here the first time (when there is no
// memory for it, the value is left as it was and the run stops).
inline void storeValue(SymbolRecord& to, const Value& from) {
  if (from.length >= kInlineValue) {
    if (to.longText == nullptr && (to.longText = makeLongText()) == nullptr) return;
    std::memcpy(to.longText, from.text.data(), from.length + 1u);
  }
  std::memcpy(static_cast<void*>(&to), &from, kValueHead);
}
// storeValue of formatNumber's value of an exact integer, and of
// formatTruth's value, field by field.
inline void storeInteger(SymbolRecord& to, double number) {
  to.number = number;
  to.length = 0;
  to.numeric = true;
  to.textPending = true;
}
inline void storeTruth(SymbolRecord& to, bool truth) {
  to.number = truth ? 1 : 0;
  to.length = 1;
  to.numeric = true;
  to.textPending = false;
  to.inlineText[0] = truth ? '1' : '0';
  to.inlineText[1] = '\0';
}
// The record of the variable token names (ST_insert of its name); kept in
// the token, so a replayed token finds its record without a search.
SymbolRecord* lookUp(Token& token);
std::size_t ST_size();
// The key of the names' hash (siphash.h): drawn by the first run of the
// process and kept for the runs after it. Tests set their own; the key may
// change only while the table is empty.
void drawHashKey();
HashKey hashKey();
void setHashKey(HashKey key);
// For tests: the hash of a name under the current key.
std::uint64_t ST_hash(const char* name, std::size_t length);
// For tests: the probes a search for each name in the table makes, the most
// and all together.
struct ProbeLengths {
  std::size_t longest;  // the longest search
  std::size_t total;    // all searches, one per name
};
ProbeLengths ST_probeLengths();
SymbolRecord* ST_insert();
void ST_saveValue(SymbolRecord* record);
void ST_getValue();
void ST_free();
void PD_push();
void PD_pop();
// The new top of the pushdown for the caller to fill; none while effects are
// suppressed or when the pushdown is full (the run then stops).
Value* PD_pushSlot();
// PD_pop into to instead of PDAcces.
void PD_popInto(Value& to);
// PD_pop into a variable's value (as ST_saveValue would store it).
void PD_popInto(SymbolRecord& to);
// Pops the top value without copying it.
void PD_drop();
void PD_free();
// For tools: calls visit with the name and the value of every variable,
// newest first, and with every value on the pushdown, top first, until visit
// returns false; the number of values on the pushdown. Nothing is changed.
void ST_visit(bool (*visit)(const char* name, const Value& value, void* context), void* context);
void PD_visit(bool (*visit)(const Value& value, void* context), void* context);
std::size_t PD_depth();
// Whether values more could be pushed without a refusal and without making
// a record (the spare ones suffice).
bool PD_hasRoom(std::size_t values);

// recorder.cpp
// Adds a level for a loop; when there is no memory for it, stops the run
// and adds none.
void WH_PD_addLevel();
void WH_PD_removeLevel();
void WH_ResetReadAts();
void WH_ResetTempReadAt();
void WH_ResumeAfterNested();
void WH_PD_insert();
void WH_PD_read();
void WH_PD_readAhead();
void WH_List_free(TokenNode* list);
void WH_PD_free();
// In the two modes that record from the source, the node the current token
// was recorded in; else none.
TokenNode* recordedNode();
// Tokens recorded in the run so far: the difference of two counts is the
// tokens recorded between them.
std::size_t WH_PD_recordedCount();
// Whether a replay may read tokens more (a fuzz build's budget).
bool WH_PD_canSkip(std::size_t tokens);
// Counts tokens as read by a replay that passes over them (a fuzz build's
// budget); false, counting nothing, when they would exceed the budget.
bool WH_PD_passOver(std::size_t tokens);
// Moves the replay read position of the mode at hand to node and reads it
// there, as if the tokens up to it (tokens, it included) had been read.
void WH_PD_readFrom(TokenNode* node, std::size_t tokens);

// forms.cpp
// Starts noting the form of the expression that follows, on a loop's first
// pass with effects on (else does nothing). Outside a recording it costs a
// test: the noting runs on first passes only, out of line.
[[gnu::cold, gnu::noinline]] void formNoteBegin();
inline void formBegin() {
  if (LAMode == kRecordCondition || LAMode == kRecordBody) formNoteBegin();
}
void formNoteOperand(const Token& token, const SymbolRecord* record);
void formNoteOperator(Word op);
void formNoteNegation();
void formNoteRefusal();
// Ends the noting; with status 0 the form is kept with the node formBegin
// stood at (target: an assignment's variable, none for a loop condition).
[[gnu::cold, gnu::noinline]] void formNoteEnd(unsigned status, SymbolRecord* target);
inline void formEnd(unsigned status, SymbolRecord* target) {
  if (formRecording) formNoteEnd(status, target);
}
void formsRelease();
// A replayed assignment's form: runs it and stores the result as the
// grammar would, and reads on from the token after the expression. False,
// with nothing changed, where only the grammar gives the exact result.
bool assignByForm(const Form& form);
// Notes the form of a block read on a loop's first pass: open is the node of
// its "{" (recordedNode() there) and count the recorded count there, and the
// current token is its "}".
void formBlock(TokenNode* open, std::size_t count, int nesting);
// A replayed block read with effects off, that has a form: reads on from
// its "}". False where the grammar must read it.
bool skipByForm(const Form& form);
// Whether form is that of an assignment.
inline bool isAssignment(const Form* form) {
  return form != nullptr && form->kind == Form::kExpression && form->target != nullptr;
}
// assignByForm, leaving the read position where it is.
bool assignByFormInPlace(const Form& form);
// The condition of the loop that replays, by its form, without reading its
// tokens: sets holds and PDAcces as condition and PD_pop would. False, with
// nothing changed, where only the grammar gives the exact result.
bool testByForm(bool& holds);
// The condition of a conditional of a straight block (a kConditional form)
// by its form, leaving its value in PDAcces as PD_pop leaves it and its truth
// in holds; false, with nothing changed, where only the grammar gives the
// exact value.
bool conditionByForm(const Form& conditional, bool& holds);
// A replayed expression's form (a loop condition, or the expression of ESLI
// or VRACEE): runs it, leaves its value in PDAcces as PD_pop leaves it and
// reads on from the token after it. False, with nothing changed, where only
// the grammar gives the exact result.
bool popByForm(const Form& form);

// The grammar's reports to the form being noted.
inline void formOperand(const Token& token, const SymbolRecord* record) {
  if (formRecording) formNoteOperand(token, record);
}
inline void formOperator(Word op) {
  if (formRecording) formNoteOperator(op);
}
inline void formNegation() {
  if (formRecording) formNoteNegation();
}
// Something the form cannot model, a call above all: no form.
inline void formRefuse() {
  if (formRecording) formNoteRefusal();
}

// statements.cpp
// Evaluates the expression at the current token (A). On a replay, a form of
// the expression runs instead where it can: popped is then set, and the value
// is in PDAcces as PD_pop leaves it.
unsigned expression(bool& popped);
unsigned blok();
// The rest of a block once its "{" is read and its nesting entered: V "}".
// open, count and nesting: what blok noted at the "{" of a block that a
// loop's first pass records (open none for any other).
unsigned blockRest(TokenNode* open, std::size_t count, int nesting);
// The statements of a straight block by their forms, from its first, up to
// the "}" or to the first statement whose form does not run; returns the node
// it stops at, adding to tokens the tokens passed (the statements' own). A
// conditional runs the block it takes the same way: a statement of that block
// that does not run stops it there, with the block's nesting entered and
// effects on, and the grammar goes on from there through conditionalsRest.
TokenNode* runStatements(const Form& block, std::size_t& tokens);
// The rest of the conditionals runStatements has stopped in, levels of them
// one in another, the innermost first, from the statement the read position
// stands on: each block's V "}", the rest of its esli and the ";" after it.
unsigned conditionalsRest(int levels);
unsigned V();
unsigned prikaz();
unsigned davaj();
unsigned esli();
unsigned vracee();
unsigned nasaj();

// loop.cpp
unsigned dokad();

// expressions.cpp
// Whether op gives a truth (0 or 1): the logic operators and comparisons.
inline bool isTruthOperator(Word op) { return op >= kOr && op <= kGreaterEqual; }
// The number op makes of two numbers: 1 or 0 for a truth, else the
// arithmetic result.
inline double operateOn(Word op, double l, double r) {
  switch (op) {
    case kOr: return l != 0 || r != 0 ? 1 : 0;
    case kAnd: return l != 0 && r != 0 ? 1 : 0;
    case kLess: return l < r ? 1 : 0;
    case kGreater: return l > r ? 1 : 0;
    case kEqual: return l == r ? 1 : 0;
    case kNotEqual: return l != r ? 1 : 0;
    case kLessEqual: return l <= r ? 1 : 0;
    case kGreaterEqual: return l >= r ? 1 : 0;
    case kPlus: return l + r;
    case kMinus: return l - r;
    case kTimes: return l * r;
    case kDivide: return l / r;
    default: return remainderOf(l, r);
  }
}
// Writes the result of op on two numbers into result; false when an
// arithmetic result is too long to be written in full.
bool numericResult(Word op, double l, double r, Value& result);
// Writes the result of a comparison or concatenation of texts into result,
// which may be left itself; false when the operator does not apply to texts.
bool textResult(Word op, Value& left, Value& right, Value& result);
unsigned A();
unsigned ovA();
unsigned B();
unsigned C();
unsigned ovC();
unsigned D();
unsigned ovD();
unsigned E();
unsigned ovE();
unsigned F();

// functions.cpp
unsigned dek_fce();
unsigned L();
unsigned vol_fce();
unsigned S();

}  // namespace plimbo
