// Hooks: the calls through which tools watch the lister at work.
//
// The lister calls a hook where a tool may want to see what it does. In the
// lister itself (library vexa_core, program vexa) every hook is an empty
// inline function: the compiler removes the call together with the work on
// its arguments, and the program keeps no trace of it. A tool gets a
// library of its own, the lister built again with one compile definition
// that turns the tool's hooks into calls of functions defined in the tool's
// file: the files that call those hooks are compiled once more for it, the
// others are shared (vexa_objects, CMakeLists.txt). The tool links its
// library instead of vexa_core; no program links both.
//
//   definition     library        hooks defined in   for
//   VEXA_LISTING   vexa_listing   listing.cpp        the source listing (listing.h)
//   VEXA_EVENTS    vexa_events    events.cpp         the events of a run, for the
//                                                    playground's stepping (events.h)
#pragma once

#include <cstddef>

namespace vexa {

// The automaton has read a piece of the source of type `type`, a TokenClass
// (lexer.h): a token, a comment, blanks, or the token that ended the scan.
// The piece begins where the one before it ended and ends `unread` bytes
// before the end of what has been read of the source; a piece that holds
// no byte is none.
#ifdef VEXA_LISTING
void pieceRead(int type, std::size_t unread);
#else
inline void pieceRead(int, std::size_t) {}
#endif

#ifdef VEXA_EVENTS
// lexer.cpp: the scanner read `count` more bytes of the source; the
// automaton read the character c in state `from` and made the move `move`
// (a Move::Kind) to state `to`: the token's text t.text now holds length
// characters, its class is `type`, and `unread` bytes of the block follow
// c; the source ended, with length characters of a token collected.
void blockRead(std::size_t count);
void characterRead(int from, int c, int to, int move, std::size_t unread, int type, std::size_t length);
void sourceEnded(int type, std::size_t length);
// driver.cpp: the listing is over.
void runEnds();
#else
inline void blockRead(std::size_t) {}
inline void characterRead(int, int, int, int, std::size_t, int, std::size_t) {}
inline void sourceEnded(int, std::size_t) {}
inline void runEnds() {}
#endif

}  // namespace vexa
