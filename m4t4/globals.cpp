#include "globals.h"

#include <cstring>

#include "procedures.h"

namespace m4t4 {

FILE* f = nullptr;
FILE* inputStream = stdin;
FILE* outputStream = stdout;

std::array<char, kOutputBufferSize> outputBuffer;
std::size_t outputUsed = 0;
bool outputIsTerminal = false;
int writeError = 0;

unsigned chyba_SA = 0;
int32_t nestingDepth = 0;
bool runStopped = false;

Token scanBuffer;
Token endToken{{kEndOfInputChar, '\0'}, kEnd, 1, kNoWord, nullptr, {}};
Token* token_buffer = &scanBuffer;
int32_t buffer = 0;
int64_t cislo_radku = 1;
int readError = 0;
int32_t rezim_LA = kSource;
std::size_t scannedLength = 0;

int32_t i2_priznak = 1;
TableRecord* vrchol_tab = nullptr;
std::unordered_map<std::string_view, TableRecord*> recordIndex;
StackNode* vrchol_zas = nullptr;
StackNode* spareNodes = nullptr;
int64_t valueCount = 0;
int64_t recordCount = 0;
ValueBuffer hodnota_tab{};
ValueBuffer hodnota_zas{};
ValueBuffer pom_a{};
ValueBuffer pom_b{};

LoopLevel* zasobnik = nullptr;
int32_t loopLevelCount = 0;
int64_t recordedTokenCount = 0;
bool recordingOverflowed = false;
#ifdef FUZZ_BUDGET
int64_t replayedTokens = 0;
#endif

void copyText(char* dst, std::size_t size, const char* src) {
  if (size == 0) return;
  std::size_t n = strnlen(src, size - 1);
  std::memmove(dst, src, n);
  dst[n] = '\0';
}

void reset() {
  Uvolni_tab();
  Uvolni_zas();
  Uvolni_zas_cykl();
  f = nullptr;
  inputStream = stdin;
  outputStream = stdout;
  outputUsed = 0;
  outputIsTerminal = false;
  writeError = 0;
  chyba_SA = 0;
  nestingDepth = 0;
  runStopped = false;
  scanBuffer = Token{};
  token_buffer = &scanBuffer;
  buffer = 0;
  cislo_radku = 1;
  readError = 0;
  rezim_LA = kSource;
  scannedLength = 0;
  recordingOverflowed = false;
#ifdef FUZZ_BUDGET
  replayedTokens = 0;
#endif
  i2_priznak = 1;
  hodnota_tab = {};
  hodnota_zas = {};
  pom_a = {};
  pom_b = {};
}

}  // namespace m4t4
