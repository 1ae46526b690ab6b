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

// A message that names the rule and the problem; none once the run has
// stopped (its own message has been printed).
unsigned reportProblem(const char* rule, const char* problem) {
  if (!runStopped) {
    printFormat("V bloku: '%s', na radku: %lld nastala chyba - %s.\n", rule, line(), problem);
  }
  return 1;
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

unsigned reportNotNumber(const char* rule) { return reportProblem(rule, "nejedna se o cislo"); }

unsigned reportTooDeep(const char* rule) { return reportProblem(rule, "prilis hluboke vnoreni"); }

unsigned reportNestingTooDeep(const char* rule) {
  if (nestingDepth < kMaxNesting) return reportProblem(rule, "vnoreni potrebuje vic zasobniku");
  return reportTooDeep(rule);
}

unsigned reportTooLarge(const char* rule) { return reportProblem(rule, "vysledek je prilis velky"); }

unsigned failSilently() {
  if (!runStopped) reportReadError();
  return 1;
}

void reportProgramFailed() { printFormat("\nV programu se vyskytla chyba.\n"); }

void reportProgramSucceeded() { printFormat("\nProgram probehl bez chyb.\n"); }

void refuseRecord(const char* rule, const char* problem) {
  reportProblem(rule, problem);
  stopRun();
}

void stopRun() {
  runStopped = true;
  i2_priznak = 0;
  rezim_LA = kStopped;
}

}  // namespace m4t4
