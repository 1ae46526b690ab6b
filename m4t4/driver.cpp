// The command line, the syntax analysis entry and the start symbol.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "m4t4.h"
#include "hooks.h"
#include "procedures.h"

namespace m4t4 {

void Man() { printFormat("Prosim zadejte vstupni soubor ve tvaru: './m4t4 jmeno_souboru.m4t'.\n"); }

unsigned SA() {
  Lex();
  chyba_SA = Hlavni_program();
  if (chyba_SA != 0) reportProgramFailed();
  return chyba_SA;
}

/* Hlavni_program -> Funkce_deklarace Blok Hlavni_program | Blok "." */
unsigned Hlavni_program() {
  while (token_buffer->tokenClass == kDeclaration) {
    if (unsigned s = Funkce_deklarace()) return s;
    if (unsigned s = Blok()) return s;
  }
  if (unsigned s = Blok()) return s;
  if (!is(kDot)) return failSilently();
  reportProgramSucceeded();
  return 0;
}

namespace {

// One run, leaving writeError for the caller; the stores are released.
int runProgram(FILE* source, FILE* input, FILE* output) {
  reset();
  f = source;
  inputStream = input;
  inputMayWait = input != nullptr && readMayWait(input);
  outputStream = output;
#ifdef __EMSCRIPTEN__
  // In the browser a run can end without returning (the page's stack gives
  // out first); writing each line at once keeps what was printed before.
  outputIsTerminal = true;
#else
  outputIsTerminal = fileno(output) >= 0 && isatty(fileno(output));
#endif
  drawHashKey();
  analyseOnReservedStack([] { SA(); });
  runEnds();
  int status = static_cast<int>(chyba_SA);
  Uvolni_tab();
  Uvolni_zas();
  Uvolni_zas_cykl();
  flushOutput();
  return writeError != 0 ? kWriteFailed : status;
}

// Opens the source for reading. A file that opens but cannot be read (a
// directory, say) counts as one that cannot be opened. Only a regular file is
// probed by reading a byte: a pipe or a terminal would wait for it, and the
// lexer reads those with read(2), past anything stdio holds.
std::FILE* openSource(const char* name) {
  std::FILE* source = std::fopen(name, "rb");
  if (source == nullptr) return nullptr;
  struct stat status;
  if (fstat(fileno(source), &status) != 0 || S_ISDIR(status.st_mode)) {
    std::fclose(source);
    return nullptr;
  }
  if (!S_ISREG(status.st_mode)) return source;
  const int first = std::getc(source);
  if (std::ferror(source)) {
    std::fclose(source);
    return nullptr;
  }
  std::ungetc(first, source);
  return source;
}

// Writes what is still buffered; after a failed write says so on standard
// error and gives the exit status that reports it.
int finish() {
  flushOutput();
  if (writeError == 0) return 0;
  std::fprintf(stderr, "m4t4: write error: %s\n", std::strerror(writeError));
  return kWriteFailed;
}

}  // namespace

int interpret(FILE* source, FILE* input, FILE* output) {
  int status = runProgram(source, input, output);
  // The stores are released already; only the caller's streams are let go.
  f = nullptr;
  inputStream = stdin;
  outputStream = stdout;
  return status;
}

int run(int argc, char** argv) {
  reset();
  printFormat("\nhello\n\n");
  if (argc <= 1) {
    Man();
    return finish();
  }
  if (argc > 3) {
    printFormat("Prilis mnoho argumentu.\n");
    Man();
    return finish();
  }
  FILE* source = stdin;
  if (argc == 2) {
    source = openSource(argv[1]);
    if (source == nullptr) {
      // (The name in three parts: it may be too long to format in one.)
      printFormat("\nSoubor \"");
      printText(argv[1], std::strlen(argv[1]));
      printFormat("\" se nezdarilo otevrit.\n");
      return finish();
    }
  }
  if (finish() != 0) return kWriteFailed;
  // With standard input closed the source file takes descriptor 0; cti must
  // not read the program text through it, so it reads no words at all.
  FILE* input = source != stdin && fileno(source) == fileno(stdin) ? nullptr : stdin;
  if (runProgram(source, input, stdout) == kWriteFailed) return finish();
  if (std::fclose(source) != 0) printFormat("Soubor se nezdarilo uzavrit.\n");
  printFormat("\nbye\n\n");
  return finish();
}

}  // namespace m4t4
