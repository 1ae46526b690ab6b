// Entry points of the m4t4 interpreter.
#pragma once

#include <cstdio>

namespace m4t4 {

// The command-line program: greeting, argument rules, closing messages.
int run(int argc, char** argv);

// Exit status of a run whose output could not be written.
constexpr int kWriteFailed = 3;

// Runs one program read from `source`; cti reads from `input` (no words at
// all when it is null); everything is printed to `output`. Returns the final
// error status (0 = no error), or kWriteFailed when output could not be
// written. The streams are left open and no greeting or goodbye is printed.
// A source that is not a regular file (a pipe, a terminal) is read through
// its descriptor as its bytes arrive, so its stdio buffer must hold nothing
// read ahead.
int interpret(FILE* source, FILE* input, FILE* output = stdout);

}  // namespace m4t4
