// Entry points of the m4t4 interpreter.
#pragma once

#include <cstdio>

namespace m4t4 {

// The command-line program: greeting, argument rules, closing messages.
int run(int argc, char** argv);

// Runs one program read from `source`; cti reads from `input`; everything is
// printed to `output`. Returns the final error status (0 = no error). The
// streams are left open and no greeting or goodbye is printed.
int interpret(FILE* source, FILE* input, FILE* output = stdout);

}  // namespace m4t4
