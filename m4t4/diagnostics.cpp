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

unsigned reportExpected(const char* rule, const char* expected) {
  if (!runStopped && !reportReadError()) {
    printFormat(
        "V bloku: '%s', na radku: %lld nastala chyba - byl ocekavan znak: \"%s\", "
        "namisto toho se vyskytl tento znak: \"%s\".\n",
        rule, line(), expected, token_buffer->text.data());
  }
  return 1;
}

unsigned reportNotNumber(const char* rule) {
  if (runStopped) return 1;
  printFormat("V bloku: '%s', na radku: %lld nastala chyba - nejedna se o cislo.\n", rule, line());
  return 1;
}

unsigned reportTooDeep(const char* rule) {
  if (runStopped) return 1;
  printFormat("V bloku: '%s', na radku: %lld nastala chyba - prilis hluboke vnoreni.\n", rule,
              line());
  return 1;
}

unsigned reportTooLarge(const char* rule) {
  if (runStopped) return 1;
  printFormat("V bloku: '%s', na radku: %lld nastala chyba - vysledek je prilis velky.\n", rule,
              line());
  return 1;
}

unsigned failSilently() {
  if (!runStopped) reportReadError();
  return 1;
}

void reportProgramFailed() { printFormat("\nV programu se vyskytla chyba.\n"); }

void reportProgramSucceeded() { printFormat("\nProgram probehl bez chyb.\n"); }

void refuseRecord(const char* rule, const char* problem) {
  if (!runStopped) {
    printFormat("V bloku: '%s', na radku: %lld nastala chyba - %s.\n", rule, line(), problem);
  }
  stopRun();
}

void stopRun() {
  runStopped = true;
  i2_priznak = 0;
  rezim_LA = kStopped;
}


}  // namespace m4t4
