// The interpreter's procedures, one group per source file. Grammar
// procedures return 0 for success or the non-zero status of the error they
// met; SA stores the final status in chyba_SA.
#pragma once

#include <cstdint>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "globals.h"
#include "siphash.h"

namespace m4t4 {

// driver.cpp
unsigned SA();
unsigned Hlavni_program();
void Man();

// diagnostics.cpp: print one diagnostic naming the rule `rule` and return 1.
unsigned reportExpected(const char* rule, const char* expected);
unsigned reportNotNumber(const char* rule);
unsigned reportTooDeep(const char* rule);
// Nesting past nestingLimit: too deep (kMaxNesting), or deeper than the
// stack the run has holds.
unsigned reportNestingTooDeep(const char* rule);
unsigned reportTooLarge(const char* rule);   // an arithmetic result too long for a value
unsigned failSilently();              // an error without a message of its own
void reportProgramFailed();      // the closing line of a run that met an error
void reportProgramSucceeded();   // the closing line of a run without errors
// A store refuses a record (full, or out of memory), or a loop is too long to
// record: prints the diagnostic once and stops the run (stopRun).
void refuseRecord(const char* rule, const char* problem);
// Stops the run where it stands: effects go off, so the statement in progress
// stores, pushes, prints and reads nothing more; every further token is the
// end of input (kStopped), so the parse ends at the next token it needs; and
// no further diagnostic is printed. The grammar procedures then return 1 up
// to SA. runStopped is the signal; the effects flag and the lexer mode are
// what it does, and they stay so: If and While, the only procedures that
// save and restore them, write them only after a checkStopped.
void stopRun();

// 1 once the run has been stopped.
inline unsigned checkStopped() { return runStopped ? 1 : 0; }

// Counts one more nesting level; false when too deep (past nestingLimit:
// reportTooDeep says why).
inline bool enterNesting() {
  if (nestingDepth >= nestingLimit) return false;
  ++nestingDepth;
  return true;
}

// stack.cpp
// Runs analysis on a stack reserved for it before it starts, holding
// kAnalysisStack when it can; on less, nestingLimit says how deep the run
// may nest.
void analyseOnReservedStack(void (*analysis)());


// output.cpp: everything the interpreter prints goes through these.
void printText(const char* text, std::size_t size);
void printFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool flushOutput();
void discardOutput();  // drops what is buffered (a new run starts)   // writes the buffered output;
                       // false once a write has failed

// The current token's text is the word or operator `word`.
inline bool is(Word word) { return token_buffer->word == word; }

// numbers.cpp
double toNumber(const char* text);   // exactly atof(text)
// Writes printf("%f", value) into `out`, cut to size-1 characters; returns
// the length of the whole text, as snprintf does.
int formatFixed(double value, char* out, std::size_t size);
// formatFixed, and sets `number` to the text's atof where that is known
// without reading the text: for a value below 2^53 millionths that is not
// a whole number of 2^53 or more (and to unknown elsewhere). Below 2^52
// millionths the text is left pending (KnownNumber::textPending), and the
// length is 0.
int formatNumber(double value, char* out, std::size_t size, KnownNumber& number);
// fmod(dividend, divisor), by 32-bit integer arithmetic when both are
// integers below 2^31 in magnitude and the divisor is not 0.
double remainderOf(double dividend, double divisor);
// Whole numbers below this magnitude keep their "%f" text unwritten until it
// is wanted (KnownNumber::textPending): atof of that text gives them back.
constexpr double kWholeLimit = 1e18;
// Writes the pending "%f" text of `number` into `text`.
inline void writePendingText(Field& text, std::size_t& length, KnownNumber& number) {
  if (!number.textPending) return;
  length = static_cast<std::size_t>(formatFixed(number.value, text.data(), text.size()));
  number.textPending = false;
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
bool readMayWait(FILE* stream);
// getc, tried again after a signal and waiting on a non-blocking descriptor
// until a character arrives; EOF at the end of the stream and, with the
// stream's error set, after a failed read.
int getCharacter(FILE* stream);
// Reads the next block of the source stream f into into (up to size bytes,
// at least one unless the source has ended); 0 at its end and after a
// failed read (readError then holds its errno).
std::size_t readSource(unsigned char* into, std::size_t size);
// Forgets the source stream chosen for and how it was read.
void forgetSource();
// One whitespace-delimited word of the input stream into word; a word longer
// than the buffer is read whole and keeps its beginning; at end of input, or
// without an input stream, the word is empty. What was printed so far is
// written first, so that a prompt shows before the program waits. False
// when the input could not be read.
bool readWord(ValueBuffer& word);

// lexer.cpp
int32_t Lex();
Word wordOf(const char* text);   // the word or operator `text` spells, kNoWord if none
int32_t Je_cislo(const char* text);
void discardSourceBlock();  // forgets the source bytes read ahead (a new run starts)

// stores.cpp
TableRecord* Vloz_do_tab();
void Vloz_obsah_tab(TableRecord* record);
void Nacti_obsah_tab();
void Uvolni_tab();
void Vloz_do_zas();
void Uber_ze_zas();
void Uvolni_zas();
// The key of the names' hash (siphash.h): drawn by the first run of the
// process and kept for the runs after it.
void drawHashKey();
// The index of the value table, for tests: its key (the index is rebuilt
// under the new one), the hash of a name, its number of slots (0 before the
// first record) and its longest probe sequence (slots looked at to find the
// record that is farthest from its home slot).
void setHashKey(const HashKey& key);
std::uint64_t nameHash(const char* name, std::size_t length);
std::size_t indexSlots();
std::size_t longestProbe();
// Uber_ze_zas straight into `target` (at most size-1 characters); returns
// the popped value's number, when known.
KnownNumber popInto(char* target, std::size_t size);
template <std::size_t N>
KnownNumber popInto(std::array<char, N>& target) {
  return popInto(target.data(), std::min(N, kValueSize));
}
// Vloz_do_zas of `text` (`length` characters) with its number; nothing
// while effects are off. `text` lies in a buffer of at least kShortText
// bytes (a token, a record field, an exchange buffer).
constexpr std::size_t kShortText = 16;
void pushValue(const char* text, std::size_t length, KnownNumber number);
// Uber_ze_zas and Vloz_obsah_tab in one copy.
void popIntoRecord(TableRecord& record);
// What popIntoRecord stores of a value: `length` characters at `text` with
// `number` (the text is not read while it is pending).
void storeResult(TableRecord& record, const char* text, std::size_t length, KnownNumber number);
// Whether `count` more values fit on the value stack without a refusal and
// without allocating a node.
bool valueStackHasRoom(int64_t count);
// A new top node for the caller to fill, or null (effects off, or refused).
StackNode* newValueNode();
void dropValues(int count);          // pops `count` values without reading them
// Vloz_do_tab for the variable `token` names; the record found is kept in
// the token for its replays.
[[gnu::noinline]] TableRecord* lookUpToken(Token& token);  // recordOf for a token without its record
inline TableRecord* recordOf(Token& token) {
  return token.record != nullptr ? token.record : lookUpToken(token);
}
// Pushes the value of the variable `token` names (Nacti_obsah_tab and
// Vloz_do_zas); the record found is kept in the token for its replays.
void pushVariable(Token& token);
// For tools: calls visit with the name and the value (as printed) of every
// variable, newest first, and with every value on the value stack, top
// first, until visit returns false; the number of records in the table and
// of values on the stack. Nothing is changed.
void visitTable(bool (*visit)(const char* name, const char* value, std::size_t length, void* context),
                void* context);
void visitStack(bool (*visit)(const char* value, std::size_t length, void* context), void* context);
// For tools: the length of the value of record as printed, its text at
// text (a pending number's text is made in room).
std::size_t printedValue(const TableRecord& record, const char*& text, Field& room);
std::size_t tableSize();
std::size_t stackDepth();

// loop_stack.cpp
void Zvys_zas();
void Sniz_zas();
void Obnov_zas();
void Obnov_pom_zas();
void Vloz_do_zas_cykl();
void Cti_ze_zas();
// Cti_ze_zas for a known mode: replays the token at `cursor` of `list`.
void replayTop(TokenNode*& cursor, const TokenList& list);
void readThroughLookAhead();
// The node of the current token while a loop's first pass records it from
// the source (modes kSourceCondition and kSourceBody), else none.
TokenNode* recordedNode();
// Tokens recorded in the run so far: the difference of two counts is the
// tokens recorded between them.
std::size_t recordedCount();
// Whether a replay may read `tokens` more tokens (fuzz builds count them
// against their budget; always so in other builds).
bool replayHasRoom(std::size_t tokens);
// Replays (in mode kReplayCondition or kReplayBody) the top level's token at
// `node`, as if the `tokens` tokens up to it had been read one by one.
void replayFrom(TokenNode* node, std::size_t tokens);
void Uvolni_sez(TokenNode* first);
void Uvolni_zas_cykl();

// statements.cpp
// How a statement takes its expression's value off the value stack.
enum class Take : uint8_t {
  kTruth,  // popTruth (a condition of i2 or w2): its truth
  kText,   // Uber_ze_zas (pis, pis_ln): its text into hodnota_zas
};
// Evaluates the expression at the current token (Logicky_vyraz), leaving its
// value on the value stack. On a replay a form of the expression runs instead
// where it can, and takes the value off as `take` says (runExpression):
// `taken` is then set.
unsigned expression(Take take, bool& taken, bool& holds);
unsigned Blok();
unsigned Vnitrni_blok();
unsigned Prikaz();
unsigned Prirazeni();
unsigned Cti();
unsigned Pis();
unsigned Pis_Ln();

// functions.cpp
unsigned Funkce_deklarace();
unsigned Vnitrni_funkce_deklarace();
unsigned Funkce_volani();
unsigned Start();

// conditional.cpp
int32_t isTrue(const char* text);
bool popTruth();   // Uber_ze_zas and the truth test of the popped value
unsigned If();
// The rest of If once its first block is read: ["e2" Blok] "i2_end".
// outer: i2_priznak on entry to If.
unsigned ifRest(int32_t outer);

// loop.cpp
unsigned While();

// logic.cpp
unsigned Logicky_vyraz();
unsigned Vnitrni_logicky_vyraz();
unsigned LV_1();
unsigned LV_2();
unsigned Vnitrni_LV_2();

// arithmetic.cpp
unsigned Aritmeticky_vyraz();
unsigned Vnitrni_aritmeticky_vyraz();
unsigned Term();
unsigned Vnitrni_term();
unsigned Faktor();

// forms.cpp: loop forms. LOOP_FORMS=0 turns every hook below into
// nothing: no form is noted or run.
#ifndef LOOP_FORMS
#define LOOP_FORMS 1
#endif
// Frees every form, with the nodes of the outermost loop's recording that
// hold them.
void formsRelease();
#if LOOP_FORMS
// The builder, called by the grammar procedures: formBegin where an
// assignment's variable or the first token of the expression of a loop
// condition, i2, pis or pis_ln is current (it
// starts only while effects are on and the token is being recorded from the
// source); formOperand where Faktor pushes a literal or a variable's value
// (the variable's record, else none); formOperator where a binary operator
// is applied, formNegation where "!" is; formRefuse for what a form does not
// model (a call); formEnd once the expression has been parsed with `status`
// and the token after it is current: the form is attached to the first
// token's node (target: the assignment's variable, none for any other
// expression). Outside a form they cost a test.
// (Cold: they run on a loop's first pass alone. Not inlined: the grammar
// procedures that call them recurse with every level of nesting, where a
// step or a frame of theirs would count once a level.)
[[gnu::cold, gnu::noinline]] void noteBegin();
[[gnu::cold, gnu::noinline]] void noteOperand(const Token& token, const TableRecord* record);
[[gnu::cold, gnu::noinline]] void noteOperator(Word op);
[[gnu::cold, gnu::noinline]] void noteNegation();
[[gnu::cold, gnu::noinline]] void noteEnd(TableRecord* target, unsigned status);
inline void formBegin() {
  if (rezim_LA == kSourceCondition || rezim_LA == kSourceBody) noteBegin();
}
inline void formOperand(const Token& token, const TableRecord* record) {
  if (formNoting) noteOperand(token, record);
}
inline void formOperator(Word op) {
  if (formNoting) noteOperator(op);
}
inline void formNegation() {
  if (formNoting) noteNegation();
}
inline void formRefuse() { formNoting = false; }
inline void formEnd(TableRecord* target, unsigned status) {
  if (formNoting) noteEnd(target, status);
}
// The runner, in a replay, with the form's first token current: does what
// the grammar would for the assignment (the value stored in the target) or
// for the expression of a condition, pis or pis_ln (its value taken off the
// value stack as `take` says, `holds` its truth) and replays the token after
// it; false, with nothing changed, when the grammar has to.
bool runAssignment(const Form& form);
bool runExpression(const Form& form, Take take, bool& holds);
// Whether form is that of an assignment.
inline bool isAssignment(const Form* form) {
  return form != nullptr && form->kind == Form::kExpression && form->target != nullptr;
}
// runAssignment, leaving the read position where it is (and no variableSet).
bool runAssignmentInPlace(const Form& form);
// The condition of the loop that replays, by its form, without reading its
// tokens: sets holds as condition would and reads on from its ")". False,
// with nothing changed, where the grammar must.
bool testByForm(bool& holds);
// The condition of a conditional of a straight block (a kConditional form),
// by its form, without reading its tokens: its truth in holds, as If takes
// it. False, with nothing changed, where the grammar must.
bool conditionByForm(const Form& conditional, bool& holds);
// statements.cpp: the rest of a block once its "{" is read and its nesting
// entered: Vnitrni_blok and the "}" (of a block no first pass records).
unsigned blockRest();
// The statements of a straight block by their forms, from its first, up to
// the "}", to the first statement whose form does not run, or to the ";" of
// a statement that stopped the run; returns the node it stops at, adding to
// tokens the tokens passed (the statements' own). A statement it stops at
// may lie in a block that a conditional of the block takes: that block's
// nesting is then entered, and the grammar goes on from there through
// conditionalsRest.
TokenNode* runStatements(const Form& block, std::size_t& tokens);
// The rest of the conditionals runStatements has stopped in, levels of them
// one in another, the innermost first: for each, the rest of the block it
// takes, the rest of If and the ";" after it.
unsigned conditionalsRest(int32_t levels);
// Blocks read on a loop's first pass: Blok notes the node of its "{" while
// it is recorded from the source (blockOpens; none else) and, at its "}",
// where the block ends (blockCloses). A replay that reads the block with
// effects off at the same nesting reads on from its "}" (skipBlock; false
// where the grammar must read it).
[[gnu::cold, gnu::noinline]] TokenNode* noteBlockOpen();
[[gnu::cold, gnu::noinline]] void noteBlockClose(TokenNode* open);
bool skipBlock(const Form& form);
inline TokenNode* blockOpens() { return rezim_LA == kSourceBody ? noteBlockOpen() : nullptr; }
inline void blockCloses(TokenNode* open) {
  if (open != nullptr) noteBlockClose(open);
}
#else
inline void formBegin() {}
inline void formOperand(const Token&, const TableRecord*) {}
inline void formOperator(Word) {}
inline void formNegation() {}
inline void formRefuse() {}
inline void formEnd(TableRecord*, unsigned) {}
inline bool runAssignment(const Form&) { return false; }
inline bool runExpression(const Form&, Take, bool&) { return false; }
inline bool skipBlock(const Form&) { return false; }
inline TokenNode* blockOpens() { return nullptr; }
inline void blockCloses(TokenNode*) {}
#endif

// operators.cpp
// Applies the binary operator `word` to the two values on top of the stack
// (the right operand on top) and pushes the result; nothing while effects
// are off. Returns 1 after a type or size message.
unsigned applyOperator(Word word);
bool numericOperands();             // pom_a and pom_b are both numeric text
// The operators that apply to texts that are not numeric text: "+" joins
// them, the comparisons order them; the others need numbers.
inline bool takesTexts(Word word) { return word == kPlus || (word >= kLess && word <= kGreaterEqual); }
void pushTruth(bool value);         // pushes "1" or "0"
// Pushes "%f" of value; a text longer than a value holds is reported under
// the rule `rule`.
unsigned pushNumber(double value, const char* rule);
// Makes `node` (the top of the stack) the number `value`: its text waits
// unwritten when keepsNumber(value); else it is written now, and the number
// is not kept.
unsigned setNumber(StackNode& node, double value, const char* rule);
// An arithmetic result that setNumber keeps as its number: a whole number
// below kWholeLimit. (The magnitude test comes first: it keeps the
// conversion defined.)
inline bool keepsNumber(double value) {
  return std::fabs(value) < kWholeLimit &&
         value == static_cast<double>(static_cast<std::int64_t>(value));
}

}  // namespace m4t4
