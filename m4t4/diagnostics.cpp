// Diagnostics of the grammar procedures and the status bookkeeping they share.
#include <cstring>

#include "procedures.h"

namespace m4t4 {

namespace {

long long line() { return static_cast<long long>(cislo_radku); }

// Once the source could not be read, the tokens after the failure are
// missing, so a syntax message would blame the program for it: the reader is
// told that the source could not be read instead (once).
bool reportReadError() {
  if (readError == 0) return false;
  static constexpr const char* kMessage =
      "V bloku: 'Lex', na radku: %lld nastala chyba - soubor se nezdarilo precist.\n";
  if (readError > 0) printFormat(kMessage, line());
  readError = -1;  // reported
  return true;
}

}  // namespace

unsigned chyba_znak(const char* blok, const char* ocekavano) {
  if (!reportReadError()) {
    printFormat(
        "V bloku: '%s', na radku: %lld nastala chyba - byl ocekavan znak: \"%s\", "
        "namisto toho se vyskytl tento znak: \"%s\".\n",
        blok, line(), ocekavano, token_buffer->text.data());
  }
  return nastav(1);
}

unsigned chyba_cislo(const char* blok) {
  printFormat("V bloku: '%s', na radku: %lld nastala chyba - nejedna se o cislo.\n", blok, line());
  return nastav(1);
}

unsigned chyba_vnoreni(const char* blok) {
  printFormat("V bloku: '%s', na radku: %lld nastala chyba - prilis hluboke vnoreni.\n", blok,
              line());
  return nastav(1);
}

unsigned chyba_velky(const char* blok) {
  printFormat("V bloku: '%s', na radku: %lld nastala chyba - vysledek je prilis velky.\n", blok,
              line());
  return nastav(1);
}

unsigned chyba_delka() {
  printFormat("V bloku: 'While', na radku: %lld nastala chyba - cyklus je prilis dlouhy.\n",
              line());
  return nastav(1);
}

unsigned chyba_bez_zpravy() {
  reportReadError();
  return nastav(1);
}

void refuseRecord(const char* blok, const char* problem) {
  if (!runStopped) {
    printFormat("V bloku: '%s', na radku: %lld nastala chyba - %s.\n", blok, line(), problem);
  }
  runStopped = true;
}


}  // namespace m4t4
