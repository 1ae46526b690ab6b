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

}  // namespace vexa
