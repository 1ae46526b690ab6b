// Lists the fuzz input as the contents of zdrojak.vexa. The exit statuses 1
// and 2 come back as return values, so the fuzzer reaches them and goes on.
// listSource then reads the same input: its pieces must cover it from the
// first byte, in order, each at least one byte long, up to its end or up to
// a stopping token exactly when the listing stopped.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "lexer.h"
#include "listing.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return std::freopen("/dev/null", "w", stdout) == nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* source = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "r")
                               : std::fopen("/dev/null", "r");
  if (source == nullptr) return 0;
  const int status = vexa::listTokens(source);
  std::fclose(source);

  const auto pieces = vexa::listSource(reinterpret_cast<const char*>(data), size);
  std::size_t at = 0;
  for (const vexa::ScanPiece& piece : pieces) {
    if (piece.start != at || piece.end <= piece.start || piece.end > size) std::abort();
    at = piece.end;
  }
  const bool stopped = !pieces.empty() && pieces.back().type == vexa::kStoppedPiece;
  if (stopped != (status != 0) || (!stopped && at != size)) std::abort();
  return 0;
}
