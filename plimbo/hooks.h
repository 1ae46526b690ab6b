// Hooks: the calls through which tools watch the interpreter at work.
//
// The interpreter calls a hook where a tool may want to see what it does. In
// the interpreter itself (library plimbo_core, program plimbo) every hook is
// an empty inline function: the compiler removes the call together with the
// work on its arguments, and the program keeps no trace of it. A tool gets a
// library of its own, the interpreter built again with one compile
// definition that turns the tool's hooks into calls of functions defined in
// the tool's file: the files that call those hooks are compiled once more
// for it, the others are shared (plimbo_objects, CMakeLists.txt). The tool
// links its library instead of plimbo_core; no program links both.
//
//   definition       library          hooks defined in   for
//   PLIMBO_LISTING   plimbo_listing   listing.cpp        the source listing (listing.h)
//   PLIMBO_EVENTS    plimbo_events    events.cpp         the events of a run, for the
//                                                        playground's stepping (events.h)
//
// A hook reads what it wants to know from the globals (globals.h) and through
// the stores' functions; the arguments carry only what the globals do not say.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plimbo {

struct SymbolRecord;

// The scanner has read a piece of the source of type `type`, a TokenClass
// (globals.h): a token, white space, a comment or a character that begins
// no token. The piece begins where the one before it ended and ends
// `unread` bytes before the end of what has been read of the source.
#if defined(PLIMBO_LISTING) || defined(PLIMBO_EVENTS)
void pieceRead(std::int32_t type, std::size_t unread);
#else
inline void pieceRead(std::int32_t, std::size_t) {}
#endif

// Why the effects flag changed (effectsChanged).
enum class EffectsCause : std::uint8_t {
  kCondition,  // esli set it for the then-branch from its condition
  kElse,       // esli set it for the JINEM branch
  kLoop,       // dokad set it for the first pass of its block from its condition
  kRestored,   // esli or dokad gave it back the value it had on entry
};

#ifdef PLIMBO_EVENTS
// lexer.cpp: the scanner read `count` more bytes of the source; lex has
// delivered tok_n, in the mode LAMode.
void blockRead(std::size_t count);
void tokenRead();
// statements.cpp: V starts a statement at tok_n; the statement ended well,
// tok_n is the token after it; a statement stored the value of record (while
// effects are on); NASAJ read the word in ops1.
void statementStarts();
void statementEnds();
void variableSet(const SymbolRecord* record);
void inputRead();
// statements.cpp and loop.cpp: if_flag has its new value, tok_n is the
// ")" of the condition (kCondition, kLoop).
void effectsChanged(EffectsCause cause);
// loop.cpp: dokad has added the level of an active loop, met in mode
// outerMode; a replay of its condition begins (the level is rewound); dokad
// is about to remove the level.
void loopEntered(std::int32_t outerMode);
void loopReplays();
void loopLeaves(std::int32_t outerMode);
// functions.cpp: a declaration (or a call) begins at its name, tok_n; it
// ended well, tok_n is the token after its ")".
void functionStarts(bool declaration);
void functionEnds(bool declaration);
// driver.cpp: the analysis is over; the stores still hold what it left.
void runEnds();
#else
inline void blockRead(std::size_t) {}
inline void tokenRead() {}
inline void statementStarts() {}
inline void statementEnds() {}
inline void variableSet(const SymbolRecord*) {}
inline void inputRead() {}
inline void effectsChanged(EffectsCause) {}
inline void loopEntered(std::int32_t) {}
inline void loopReplays() {}
inline void loopLeaves(std::int32_t) {}
inline void functionStarts(bool) {}
inline void functionEnds(bool) {}
inline void runEnds() {}
#endif

}  // namespace plimbo
