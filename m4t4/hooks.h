// Hooks: the calls through which tools watch the interpreter at work.
//
// The interpreter calls a hook where a tool may want to see what it does. In
// the interpreter itself (library m4t4_core, program m4t4) every hook is an
// empty inline function: the compiler removes the call together with the
// work on its arguments, and the program keeps no trace of it. A tool gets a
// library of its own, the interpreter built again with one compile
// definition that turns the tool's hooks into calls of functions defined in
// the tool's file: the files that call those hooks are compiled once more
// for it, the others are shared (m4t4_objects, CMakeLists.txt). The tool
// links its library instead of m4t4_core; no program links both.
//
//   definition     library        hooks defined in   for
//   M4T4_LISTING   m4t4_listing   listing.cpp        the source listing (listing.h)
//   M4T4_EVENTS    m4t4_events    events.cpp         the events of a run, for the
//                                                    playground's stepping (events.h)
//
// A hook reads what it wants to know from the globals (globals.h) and through
// the stores' functions; the arguments carry only what the globals do not say.
#pragma once

#include <cstddef>
#include <cstdint>

namespace m4t4 {

struct TableRecord;

// The scanner has read a piece of the source of type `type`, a TokenClass
// (globals.h): a token, white space, a comment or a dropped character. The
// piece begins where the one before it ended and ends `unread` bytes before
// the end of what has been read of the source.
#if defined(M4T4_LISTING) || defined(M4T4_EVENTS)
void pieceRead(int32_t type, std::size_t unread);
#else
inline void pieceRead(int32_t, std::size_t) {}
#endif

// Why the effects flag changed (effectsChanged).
enum class EffectsCause : std::uint8_t {
  kCondition,  // If set it for the first branch from its condition
  kElse,       // If set it for the "e2" branch
  kLoop,       // While set it for the first pass of its body from its condition
  kRestored,   // If or While gave it back the value it had on entry
};

#ifdef M4T4_EVENTS
// lexer.cpp: the scanner read `count` more bytes of the source; Lex has
// delivered token_buffer, in the mode rezim_LA.
void blockRead(std::size_t count);
void tokenRead();
// statements.cpp: Vnitrni_blok starts a statement at token_buffer; the
// statement ended well, token_buffer is the token after it; a statement
// stored the value of record (while effects are on); cti read the word in
// pom_a.
void statementStarts();
void statementEnds();
void variableSet(const TableRecord* record);
void inputRead();
// conditional.cpp and loop.cpp: i2_priznak has its new value, token_buffer
// is the ")" of the condition (kCondition, kLoop).
void effectsChanged(EffectsCause cause);
// loop.cpp: While has pushed the level of an active loop, met in mode
// outerMode; a replay of its condition begins (the level is rewound); While
// is about to pop the level.
void loopEntered(int32_t outerMode);
void loopReplays();
void loopLeaves(int32_t outerMode);
// functions.cpp: a declaration (or a call) begins at its name, token_buffer;
// it ended well, token_buffer is the token after its ")".
void functionStarts(bool declaration);
void functionEnds(bool declaration);
// driver.cpp: the analysis is over; the stores still hold what it left.
void runEnds();
#else
inline void blockRead(std::size_t) {}
inline void tokenRead() {}
inline void statementStarts() {}
inline void statementEnds() {}
inline void variableSet(const TableRecord*) {}
inline void inputRead() {}
inline void effectsChanged(EffectsCause) {}
inline void loopEntered(int32_t) {}
inline void loopReplays() {}
inline void loopLeaves(int32_t) {}
inline void functionStarts(bool) {}
inline void functionEnds(bool) {}
inline void runEnds() {}
#endif

}  // namespace m4t4
