// Runs the fuzz input as a program of one interpreter (FUZZ_PLIMBO or
// FUZZ_M4T4), with a few words on standard input.
#include <cstdint>
#include <cstdio>

#if defined(FUZZ_PLIMBO)
#include "procedures.h"
namespace interpreter = plimbo;
#elif defined(FUZZ_M4T4)
#include "m4t4.h"
namespace interpreter = m4t4;
#endif

namespace {
char kInput[] = "42 abc -7,5 0 1e3\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return std::freopen("/dev/null", "w", stdout) == nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* source = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "r")
                               : std::fopen("/dev/null", "r");
  std::FILE* input = fmemopen(kInput, sizeof kInput - 1, "r");
  if (source != nullptr && input != nullptr) interpreter::interpret(source, input);
  if (source != nullptr) std::fclose(source);
  if (input != nullptr) std::fclose(input);
  return 0;
}
