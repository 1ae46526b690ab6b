#include "globals.h"

#include <cstring>

#include "procedures.h"

namespace m4t4 {

FILE* f = nullptr;
FILE* inputStream = stdin;
bool inputMayWait = false;
FILE* outputStream = stdout;

bool outputIsTerminal = false;
int writeError = 0;

unsigned chyba_SA = 0;
int32_t nestingDepth = 0;
bool runStopped = false;

Token scanBuffer;
Token* token_buffer = &scanBuffer;
int32_t buffer = 0;
int64_t cislo_radku = 1;
int readError = 0;
int32_t rezim_LA = kSource;

int32_t i2_priznak = 1;
TableRecord* vrchol_tab = nullptr;
StackNode* vrchol_zas = nullptr;
ValueBuffer hodnota_tab{};
ValueBuffer hodnota_zas{};
ValueBuffer pom_a{};
ValueBuffer pom_b{};

bool formNoting = false;

LoopLevel* zasobnik = nullptr;
int32_t loopLevelCount = 0;

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
  formNoting = false;
  f = nullptr;
  inputStream = stdin;
  inputMayWait = false;
  outputStream = stdout;
  discardOutput();
  outputIsTerminal = false;
  writeError = 0;
  chyba_SA = 0;
  nestingDepth = 0;
  nestingLimit = kMaxNesting;
  runStopped = false;
  scanBuffer = Token{};
  token_buffer = &scanBuffer;
  buffer = 0;
  discardSourceBlock();
  cislo_radku = 1;
  readError = 0;
  rezim_LA = kSource;
  i2_priznak = 1;
  hodnota_tab = {};
  hodnota_zas = {};
  pom_a = {};
  pom_b = {};
}

}  // namespace m4t4
