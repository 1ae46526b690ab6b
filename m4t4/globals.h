// Global state of the m4t4 interpreter: streams, the current token, the
// stores, the loop token stack and the run status. Every global is declared
// here once and defined in globals.cpp; reset() returns all of them to their
// start-up values and releases every allocated record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdarg>
#include <string_view>
#include <unordered_map>

namespace m4t4 {

// Fixed sizes and limits.
constexpr std::size_t kDelkaTokenu = 256;    // token text: 255 characters + NUL
constexpr std::size_t kDelkaHodnoty = 255;   // exchange/scratch buffer: 254 characters + NUL
constexpr std::size_t kDelkaPole = 256;      // name/value field of a record: 255 characters + NUL
constexpr int32_t kMaxVnoreni = 12000;       // deepest nesting of blocks and expressions
constexpr int32_t kMaxUrovniCyklu = 100;     // most loop levels active at once
constexpr int64_t kMaxUzluCyklu = 500000;    // most recorded loop tokens alive at once
constexpr int64_t kMaxValues = 250000;       // most values on the value stack at once
constexpr int64_t kMaxVariables = 250000;    // most records in the value table
constexpr std::size_t kOutputBufferSize = 1 << 16;  // output is written in blocks of this size
#ifdef FUZZ_BUDGET
constexpr int64_t kRozpocetPrehravani = 100000;   // fuzz builds: replayed tokens before a run is abandoned
#endif
constexpr char kZnakKonce = '\xff';          // text of the end-of-input token
constexpr const char* kNeurcena = "hodnota neurcena";  // value of a never-stored variable

using Text = std::array<char, kDelkaTokenu>;    // token text field
using Hodnota = std::array<char, kDelkaHodnoty>;  // 255-byte value buffer
using Pole = std::array<char, kDelkaPole>;      // field of a table record or stack node

// Token classes delivered by the lexer (the numbers are part of the design).
enum Trida : int32_t {
  kCislo = 0,       // number
  kRetezec = 1,     // string without its quotes
  kKomentar = 2,    // comment, never delivered
  kMezera = 3,      // white space, never delivered
  kStrednik = 4,    // ";"
  kSlovo = 5,       // word or keyword
  kSlozena = 6,     // "{" or "}"
  kKonec = 7,       // end of input
  kSipka = 8,       // "->"
  kOperator = 9,    // operators and parentheses
  kPromenna = 10,   // "@name"
  kVolani = 11,     // "~name"
  kDeklarace = 12,  // "?name"
};

// Lexer modes: where the next token comes from and where it is recorded.
enum Rezim : int32_t {
  kZdroj = 0,          // source, no recording
  kZdrojPodminka = 1,  // source, recorded as a loop condition
  kZdrojTelo = 2,      // source, recorded as a loop body
  kPrehrajPodminku = 3,  // replay of the top level's condition
  kPrehrajTelo = 4,      // replay of the top level's body
  kPomPodminka = 5,    // read through a replaying level's look-ahead cursor, recorded as condition
  kPomTelo = 6,        // the same, recorded as body
};

struct Zaznam;

// The number a value text stands for, when it is known without reading the
// text again: `known` only for numeric text whose atof is exactly `value`
// (number tokens, and whole-number results, whose "%f" text is exact).
struct KnownNumber {
  bool known = false;
  double value = 0;
};

// The words and operators the grammar procedures test for. A token's text is
// matched against them once, when the token is scanned, whatever its class
// (a string "(" stands for "(" too); the procedures then compare these ids.
enum Word : uint8_t {
  kNoWord,
  kW2, kI2, kE2, kI2End, kW2End, kCtiWord, kPisWord, kPisLnWord, kP2, kDot,
  kOpenParen, kCloseParen, kOr, kAnd, kNot,
  kLess, kGreater, kEqual, kNotEqual, kLessEqual, kGreaterEqual,
  kPlus, kMinus, kTimes, kDivide, kModulo,
  kSemicolonText, kOpenBrace, kCloseBrace,
};

// A token as scanned or recorded.
struct Token {
  Text text{};             // NUL-terminated text, at most 255 characters
  int32_t trida = kKonec;  // token class
  uint16_t length = 0;     // characters before the terminator
  Word word = kNoWord;     // the word or operator its text spells
  // A variable's table record once it has been looked up; records live until
  // the end of the run, so a replayed token keeps it.
  Zaznam* record = nullptr;
  KnownNumber number;      // a number token's value
};

struct UzelTokenu {
  Token token;                  // copy of the recorded token
  UzelTokenu* dalsi = nullptr;  // next node in source order, null at the end
};

// A list of recorded tokens with O(1) append.
struct Seznam {
  UzelTokenu* prvni = nullptr;   // first node, null while empty
  UzelTokenu* posledni = nullptr;  // last node, null while empty
};

// One level of the loop token stack, one per running loop.
struct Uroven {
  Seznam podminka;                  // recorded condition tokens, up to the closing ")"
  UzelTokenu* kurzor_podminky = nullptr;  // next condition token to replay
  Seznam telo;                      // recorded body tokens, up to "w2_end"
  UzelTokenu* kurzor_tela = nullptr;  // next body token to replay
  UzelTokenu* kurzor_pom = nullptr;   // look-ahead cursor for loops first read during a replay
  Uroven* nizsi = nullptr;          // enclosing level, null for the outermost loop
  Uroven* zdroj = nullptr;          // replaying level the first pass reads from; null = source stream
};

// One variable of the value table.
struct Zaznam {
  Pole jmeno{};      // variable name with its "@"
  Pole hodnota{};    // current value
  std::size_t length = 0;  // characters of the value
  KnownNumber number;  // the value's number, when known
  Zaznam* dalsi = nullptr;  // next older record
};

// One entry of the value stack.
struct UzelZas {
  Pole text{};       // the value
  std::size_t length = 0;  // characters of the value
  KnownNumber number;  // the value's number, when known
  UzelZas* dalsi = nullptr;  // entry below, null at the bottom
};

// Streams.
extern FILE* f;        // the program source
extern FILE* vstup;    // the stream cti reads words from
extern FILE* vystup;   // program output and diagnostics

// Output buffer (output.cpp): everything printed waits here and goes to
// vystup in blocks.
extern std::array<char, kOutputBufferSize> outputBuffer;
extern std::size_t outputUsed;  // bytes waiting in outputBuffer
extern bool outputIsTerminal;   // vystup is a terminal: written after every statement that prints
extern int writeError;          // errno of the first failed write, 0 while none failed

// Run status.
extern int32_t chyba_SA;   // status of the last grammar procedure, 0 = no error
extern int32_t hloubka;    // current nesting depth of blocks and expressions
// The run must stop at the next statement boundary: a store refused a record
// (full, or out of memory) or output could not be written. The diagnostic has
// been printed already (refuseRecord), except for a failed write.
extern bool runStopped;

// Lexer.
// The current token: the scanner's record, or a node of the loop token
// stack that is being replayed (handed out in place, not copied).
extern Token* token_buffer;
extern Token scanBuffer;     // the token the scanner fills
extern Token endToken;       // end of input, for a replay that finds no node
extern int32_t buffer;       // pushed-back character: 0 none, 1..255, or -1 end of input
extern int64_t cislo_radku;  // 1 + line feeds read from the source so far
extern int readError;        // errno of a failed read of the source, 0 while none failed
extern int32_t rezim_LA;     // lexer mode (Rezim)
extern std::size_t delka_tokenu;  // characters scanned into the current token, NUL bytes included

// Value table and value stack.
extern int32_t i2_priznak;   // effects flag: 0 while code is only parsed
extern Zaznam* vrchol_tab;   // newest record of the value table
extern std::unordered_map<std::string_view, Zaznam*> index_tab;  // records by name
extern UzelZas* vrchol_zas;  // top of the value stack
extern UzelZas* volne_zas;   // popped nodes kept for reuse by the next push
extern int64_t pocet_zas;    // values on the stack
extern int64_t pocet_tab;    // records in the table
extern Hodnota hodnota_tab;  // exchange buffer of the table
extern Hodnota hodnota_zas;  // exchange buffer of the stack
extern Hodnota pom_a;        // right operand / word read by cti
extern Hodnota pom_b;        // left operand

// Loop token stack.
extern Uroven* zasobnik;     // innermost running loop, null when none
extern int32_t pocet_urovni;  // number of levels on the stack
extern int64_t pocet_uzlu;    // recorded token nodes alive on the stack
extern bool cyklus_pretekl;   // a token was not recorded because kMaxUzluCyklu was reached
#ifdef FUZZ_BUDGET
extern int64_t prehrane_tokeny;  // tokens read back from the loop token stack in this run
#endif

// Returns every global to its start-up value and frees all storage.
void reset();

// Copies at most size-1 characters of src into dst and terminates it; the
// only way text enters a fixed buffer.
void kopiruj(char* dst, std::size_t size, const char* src);

template <std::size_t N>
void kopiruj(std::array<char, N>& dst, const char* src) {
  kopiruj(dst.data(), N, src);
}

// Appends src to the text already in dst, keeping at most N-1 characters.
template <std::size_t N>
void pripoj(std::array<char, N>& dst, const char* src) {
  std::size_t used = std::string_view(dst.data()).size();
  kopiruj(dst.data() + used, N - used, src);
}

}  // namespace m4t4
