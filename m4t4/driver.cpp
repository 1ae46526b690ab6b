// The command line, the syntax analysis entry and the start symbol.
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdint>
#include <cstring>
#include <new>

#include "m4t4.h"
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

// Runs SA; memory running out anywhere else ends the run like a refused record.
void analyse() {
  try {
    SA();
  } catch (const std::bad_alloc&) {
    refuseRecord("SA", "nedostatek pameti");
    reportProgramFailed();
    chyba_SA = 1;
  }
}

#ifndef __EMSCRIPTEN__
// The grammar procedures recurse once per nesting level, so the analysis
// needs a stack that holds the deepest nesting allowed (kMaxNesting). The
// deepest frames per level are those of nested calls: 144 bytes measured in
// the optimised build (GCC -O2 and -O3), 384 under the sanitizers (-O1);
// the figures below leave a margin, and room for the calls made at the
// deepest level (printing, number formatting).
#if defined(__SANITIZE_ADDRESS__)  // GCC's AddressSanitizer
#define M4T4_BIG_FRAMES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)  // Clang's
#define M4T4_BIG_FRAMES 1
#endif
#endif
#if defined(M4T4_BIG_FRAMES) || !defined(__OPTIMIZE__)
constexpr std::size_t kStackPerLevel = 1024;
#else
constexpr std::size_t kStackPerLevel = 256;
#endif
constexpr std::size_t kStackNeeded = kMaxNesting * kStackPerLevel + (std::size_t{256} << 10);

// The bytes of stack left below this frame on the calling thread; 0 when
// they cannot be told. (For the main thread the system counts its stack
// limit, and the mapping below it.)
std::size_t stackLeft() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
  void* lowest = nullptr;
  std::size_t size = 0;
  bool known = pthread_attr_getstack(&attributes, &lowest, &size) == 0;
  pthread_attr_destroy(&attributes);
  char here;
  auto at = reinterpret_cast<std::uintptr_t>(&here);
  auto low = reinterpret_cast<std::uintptr_t>(lowest);
  return known && at > low ? at - low : 0;
}

void* analyseOnThread(void*) {
  analyse();
  return nullptr;
}

// Runs the analysis on the calling thread when its stack has room for it,
// otherwise on a thread whose stack does, sized to what the nesting needs
// (a few MiB), so that a small limit of the address space (ulimit -v) is
// not spent on it.
void analyseWithStack() {
  if (stackLeft() >= kStackNeeded) return analyse();
#ifdef __GLIBC__
  // The thread allocates from the main malloc arena: a second arena would
  // reserve 64 MiB of address space of its own (counted by ulimit -v), and
  // keep the memory it frees apart from the rest.
  mallopt(M_ARENA_MAX, 1);
#endif
  pthread_attr_t attributes;
  pthread_t thread;
  bool started = pthread_attr_init(&attributes) == 0;
  started = started && pthread_attr_setstacksize(&attributes, kStackNeeded) == 0 &&
            pthread_create(&thread, &attributes, analyseOnThread, nullptr) == 0;
  pthread_attr_destroy(&attributes);
  if (started) {
    pthread_join(thread, nullptr);
    return;
  }
  refuseRecord("SA", "nedostatek pameti");
  reportProgramFailed();
  chyba_SA = 1;
}
#else
void analyseWithStack() { analyse(); }
#endif

// One run, leaving writeError for the caller; the stores are released.
int runProgram(FILE* source, FILE* input, FILE* output) {
  reset();
  f = source;
  inputStream = input;
  outputStream = output;
#ifdef __EMSCRIPTEN__
  // In the browser a run can end without returning (the page's stack gives
  // out first); writing each line at once keeps what was printed before.
  outputIsTerminal = true;
#else
  outputIsTerminal = fileno(output) >= 0 && isatty(fileno(output));
#endif
  analyseWithStack();
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
      printFormat("\nSoubor \"%s\" se nezdarilo otevrit.\n", argv[1]);
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
