// Lists the fuzz input as the contents of zdrojak.vexa. The exit statuses 1
// and 2 come back as return values, so the fuzzer reaches them and goes on.
#include <cstdint>
#include <cstdio>

#include "lexer.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return std::freopen("/dev/null", "w", stdout) == nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* source = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "r")
                               : std::fopen("/dev/null", "r");
  if (source == nullptr) return 0;
  vexa::listTokens(source);
  std::fclose(source);
  return 0;
}
