// The interpreter's procedures. Grammar procedures return 0 on success and
// 1 from the procedure that found an error; callers pass a non-zero status up.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "globals.h"

namespace plimbo {

// driver.cpp
int run(int argc, char** argv);
// Runs the program read from source; NASAJ reads words from input (none: it
// reads nothing) and everything is printed to output. Returns 0 after a
// successful run, 1 after a failed one and kWriteFailed when output was lost
// (the reason then on standard error).
int interpret(std::FILE* source, std::FILE* input, std::FILE* output = stdout);
constexpr int kWriteFailed = 3;
void man();
unsigned SA();
unsigned Program();
// Prints a diagnostic (unless the run was stopped before) and returns 1.
unsigned diagnose(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Prints the reason the run stops (unless it was stopped before) and stops it:
// the grammar ends at the next statement.
void stopRun(const char* format, ...) __attribute__((format(printf, 1, 2)));
unsigned syntaxError(const char* procedure, const char* expected);
// The current line for the diagnostics' %lld.
inline long long line() { return static_cast<long long>(lineNo); }
// Whether the current token's text is text; the first byte decides most
// comparisons without a call.
inline bool isText(const char* text) {
  return tok_n.text[0] == text[0] && std::strcmp(tok_n.text.data(), text) == 0;
}
unsigned enterNesting(const char* procedure);
void leaveNesting();
void refuseRecord(const char* procedure, const char* problem);
unsigned checkStopped();

// output.cpp
// Directs the output to stream (none: discarded) and forgets any failure.
void startOutput(std::FILE* stream);
// Writes what is waiting; the errno of the first failed write, or 0.
int finishOutput();
void emit(const char* data, std::size_t size);
void emitf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void reportWriteError(int error);

// lexer.cpp
std::int32_t lex();
int MyIsdigit(const char* text);
bool isWhiteSpace(int c);
bool isTrue(const char* text);

// stores.cpp
SymbolRecord* ST_insert();
void ST_saveValue(SymbolRecord* record);
void ST_getValue();
void ST_free();
void PD_push();
void PD_pop();
void PD_free();

// recorder.cpp
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

// statements.cpp
unsigned blok();
unsigned V();
unsigned prikaz();
unsigned davaj();
unsigned esli();
unsigned vracee();
unsigned nasaj();

// loop.cpp
unsigned dokad();

// expressions.cpp
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
