#include "globals.h"

#include <cstring>

#include "procedures.h"

namespace m4t4 {

FILE* f = nullptr;
FILE* vstup = stdin;
FILE* vystup = stdout;

std::array<char, kOutputBufferSize> outputBuffer;
std::size_t outputUsed = 0;
bool outputIsTerminal = false;
int writeError = 0;

int32_t chyba_SA = 0;
int32_t hloubka = 0;
bool runStopped = false;

Token scanBuffer;
Token endToken{{kZnakKonce, '\0'}, kKonec, 1, kNoWord, nullptr, {}};
Token* token_buffer = &scanBuffer;
int32_t buffer = 0;
int64_t cislo_radku = 1;
int readError = 0;
int32_t rezim_LA = kZdroj;
std::size_t delka_tokenu = 0;

int32_t i2_priznak = 1;
Zaznam* vrchol_tab = nullptr;
std::unordered_map<std::string_view, Zaznam*> index_tab;
UzelZas* vrchol_zas = nullptr;
UzelZas* volne_zas = nullptr;
int64_t pocet_zas = 0;
int64_t pocet_tab = 0;
Hodnota hodnota_tab{};
Hodnota hodnota_zas{};
Hodnota pom_a{};
Hodnota pom_b{};

Uroven* zasobnik = nullptr;
int32_t pocet_urovni = 0;
int64_t pocet_uzlu = 0;
bool cyklus_pretekl = false;
#ifdef FUZZ_BUDGET
int64_t prehrane_tokeny = 0;
#endif

void kopiruj(char* dst, std::size_t size, const char* src) {
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
  vstup = stdin;
  vystup = stdout;
  outputUsed = 0;
  outputIsTerminal = false;
  writeError = 0;
  chyba_SA = 0;
  hloubka = 0;
  runStopped = false;
  scanBuffer = Token{};
  token_buffer = &scanBuffer;
  buffer = 0;
  cislo_radku = 1;
  readError = 0;
  rezim_LA = kZdroj;
  delka_tokenu = 0;
  cyklus_pretekl = false;
#ifdef FUZZ_BUDGET
  prehrane_tokeny = 0;
#endif
  i2_priznak = 1;
  hodnota_tab = {};
  hodnota_zas = {};
  pom_a = {};
  pom_b = {};
}

}  // namespace m4t4
