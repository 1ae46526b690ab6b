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
#pragma once

#include <cstddef>
#include <cstdint>

namespace plimbo {

// The scanner has read a piece of the source of type `type`, a TokenClass
// (globals.h): a token, white space, a comment or a character that begins
// no token. The piece begins where the one before it ended and ends
// `unread` bytes before the end of what has been read of the source.
#ifdef PLIMBO_LISTING
void pieceRead(std::int32_t type, std::size_t unread);
#else
inline void pieceRead(std::int32_t, std::size_t) {}
#endif

}  // namespace plimbo
