// Command line, the run of one program, the start symbol and the helpers the
// grammar procedures share.
#include <sys/stat.h>
#ifndef __EMSCRIPTEN__
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#endif

#include <cstdarg>
#include <cstdint>
#include <new>

#include "procedures.h"

namespace plimbo {

namespace {

// Prints format unless an earlier diagnostic already stopped the run.
void vdiagnose(const char* format, va_list arguments) {
  if (runStopped == 0) emitv(format, arguments);
}

}  // namespace

void man() { emitf("zadejte >>./plimbo jm_souboru.plb\n a jebni ENTER eskamotere.\n"); }

unsigned reportProblem(const char* procedure, const char* problem, ...) {
  if (runStopped != 0) return 1;
  emitf("(%s)Chyba (%lld), ", procedure, line());
  va_list arguments;
  va_start(arguments, problem);
  emitv(problem, arguments);
  va_end(arguments);
  emit("\n", 1);
  return 1;
}

void stopRun(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  vdiagnose(format, arguments);
  va_end(arguments);
  runStopped = 1;
}

unsigned syntaxError(const char* procedure, const char* expected) {
  return reportProblem(procedure, "ocekavan: %s, obdrzen: %s", expected, tok_n->text.data());
}

unsigned enterNesting(const char* procedure) {
  if (nestingDepth >= kMaxNesting)
    return reportProblem(procedure, "prilis hluboke vnoreni, obdrzen: %s", tok_n->text.data());
  ++nestingDepth;
  return 0;
}

void leaveNesting() { --nestingDepth; }

void refuseRecord(const char* procedure, const char* problem) {
  reportProblem(procedure, "%s", problem);
  runStopped = 1;
}

unsigned checkStopped() { return runStopped != 0 ? 1 : 0; }

/* Program -> { dek_fce blok } blok "ZDECHNI" */
unsigned Program() {
  while (tok_n->type == kDeclarationName) {
    if (unsigned status = dek_fce()) return status;
    if (unsigned status = blok()) return status;
  }
  if (unsigned status = blok()) return status;
  // Required: a missing ZDECHNI has no message of its own, only the failure
  // line follows (driver/errors/missing_zdechni).
  if (tok_n->word != kZdechni) return 1;
  if (unsigned status = checkStopped()) return status;
  emitf("\nGame over, uspesne dokonceno!!!\n");
  return 0;
}

// The status of every grammar procedure ends here, in SAError.
unsigned SA() {
  try {
    lex();
    SAError = Program();
  } catch (const std::bad_alloc&) {
    refuseRecord("SA", "nedostatek pameti");
    SAError = 1;
  }
  if (SAError != 0) emitf("\nNeco se pokazilo...\n");
  return SAError;
}

namespace {

#ifndef __EMSCRIPTEN__
// The analysis recurses once or more for every level of nesting. Stack that
// one level may take, measured with the deepest form (an operand of all four
// operator chains, in parentheses or a call's argument): 320 bytes optimised
// (GCC and Clang), 704 unoptimised, 864 under AddressSanitizer (GCC, -O1);
// half as much again is left as a margin.
#if defined(__SANITIZE_ADDRESS__)
#define PLIMBO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLIMBO_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(PLIMBO_ADDRESS_SANITIZER)
constexpr std::size_t kStackPerLevel = 1312;
#elif defined(__OPTIMIZE__)
constexpr std::size_t kStackPerLevel = 480;
#else
constexpr std::size_t kStackPerLevel = 1056;
#endif
// Stack the analysis needs: the deepest nesting allowed, and room for what
// runs above it (the scanner, a diagnostic, the output).
constexpr std::size_t kAnalysisStack = kMaxNesting * kStackPerLevel + (std::size_t{512} << 10);

// The calling thread's stack: its lowest address and its top.
struct Stack {
  std::uintptr_t low = 0;  // lowest address it may grow to; 0 when unknown
  std::uintptr_t top = 0;  // address it grows down from
};

Stack callingStack() {
  Stack stack;
#ifdef __linux__
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return stack;
  void* low = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &low, &size) == 0) {
    stack.low = reinterpret_cast<std::uintptr_t>(low);
    stack.top = stack.low + size;
  }
  pthread_attr_destroy(&attributes);
#endif
  return stack;
}

// Whether the stack below the caller's frame holds the analysis.
[[gnu::noinline]] bool stackSuffices() {
  const Stack stack = callingStack();
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  return stack.low != 0 && here > stack.low && here - stack.low >= kAnalysisStack;
}

bool onMainThread() {
#ifdef __linux__
  return ::getpid() == static_cast<pid_t>(::syscall(SYS_gettid));
#else
  return false;
#endif
}

// Runs SA on a thread with a stack of kAnalysisStack; false when no such
// thread can be made.
bool analyseOnOwnThread() {
#ifdef __GLIBC__
  // A thread's first allocation would make it a malloc arena of its own,
  // which reserves 64 MiB of address space (twice that while it is aligned):
  // under a limit on address space (ulimit -v) a tiny program would fail for
  // it. The caller waits for the thread, so one arena is never contended.
  mallopt(M_ARENA_MAX, 1);
#endif
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_t thread;
  const bool started =
      pthread_attr_setstacksize(&attributes, kAnalysisStack) == 0 &&
      pthread_create(&thread, &attributes, [](void*) -> void* { SA(); return nullptr; }, nullptr) == 0;
  pthread_attr_destroy(&attributes);
  if (started) pthread_join(thread, nullptr);
  return started;
}

// Runs SA on the main thread after raising its soft stack limit (toward the
// hard one) so that its stack holds the analysis, for when no thread can be
// made (a limit on address space leaving no room for a whole stack at
// once); the limit is put back afterwards. False when the stack cannot grow
// so far. Valgrind gives the main thread a stack of fixed size, so the
// other ways come first.
bool analyseOnRaisedStack() {
  rlimit limit;
  if (!onMainThread() || ::getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return false;
  const Stack stack = callingStack();
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (stack.top < here) return false;
  const rlim_t wanted = stack.top - here + kAnalysisStack + (std::size_t{64} << 10);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted) return false;
  rlimit raised = limit;
  raised.rlim_cur = wanted;
  if (::setrlimit(RLIMIT_STACK, &raised) != 0) return false;
  const bool suffices = stackSuffices();
  if (suffices) SA();
  ::setrlimit(RLIMIT_STACK, &limit);
  return suffices;
}
#endif

// Runs SA where the deepest nesting allowed fits on the stack: on the
// calling thread when enough of its stack is left, else on a thread of its
// own, else on the main thread with its stack limit raised. False when none
// of these can be.
bool analyse() {
#ifdef __EMSCRIPTEN__
  SA();  // no threads here; the link gives the main stack its size
  return true;
#else
  if (stackSuffices()) {
    SA();
    return true;
  }
  return analyseOnOwnThread() || analyseOnRaisedStack();
#endif
}

}  // namespace

int interpret(std::FILE* source, std::FILE* input, std::FILE* output) {
  reset();
  f = source;
  inputStream = input;
  inputMayWait = input != nullptr && readMayWait(input);
  startOutput(output);
  int status = 1;
  if (analyse()) {
    status = static_cast<int>(SAError);
  } else {
    refuseRecord("SA", "nedostatek pameti");
    emitf("\nNeco se pokazilo...\n");
  }
  const int writeError = finishOutput();
  reset();
  if (writeError == 0) return status;
  reportWriteError(writeError);
  return kWriteFailed;
}

namespace {

// Opens the source for reading. A file that opens but cannot be read (a
// directory, say) counts as one that cannot be opened. Only a regular file
// is tried with a read: any other (a pipe, a terminal) is read through its
// descriptor, which must find every byte still there, and a read from it
// could wait.
std::FILE* openSource(const char* name) {
  std::FILE* source = std::fopen(name, "r");
  if (source == nullptr) return nullptr;
  struct stat status;
  bool readable = ::fstat(fileno(source), &status) == 0 && !S_ISDIR(status.st_mode);
  if (readable && S_ISREG(status.st_mode)) {
    const int first = std::getc(source);
    readable = !std::ferror(source);
    std::ungetc(first, source);
  }
  if (readable) return source;
  std::fclose(source);
  return nullptr;
}

// Writes what the driver printed itself; the exit status of the process.
int finishDriverOutput() {
  const int writeError = finishOutput();
  startOutput(nullptr);
  if (writeError == 0) return 0;
  reportWriteError(writeError);
  return kWriteFailed;
}

}  // namespace

int run(int argc, char** argv) {
  int arguments = argc - 1;
  startOutput(stdout);
  if (arguments <= 0) {
    man();
    return finishDriverOutput();
  }
  if (arguments >= 3) {
    emitf("Je tam teho moc. [Spatne mnozstvi argumentu.]");
    man();
    return finishDriverOutput();
  }
  std::FILE* source = stdin;
  if (arguments == 1) {
    source = openSource(argv[1]);
    if (source == nullptr) {
      emitf("\nFile \"%s\" se nepodarilo otevrit ty plimbo, cos tam jebnul\n", argv[1]);
      return finishDriverOutput();
    }
  }
  // With standard input closed, the source may have been opened on its
  // descriptor; NASAJ must then not read the program text as input.
  bool sharesInput = arguments == 1 && fileno(source) == fileno(stdin);
  if (interpret(source, sharesInput ? nullptr : stdin, stdout) == kWriteFailed) {
    std::fclose(source);
    return kWriteFailed;
  }
  startOutput(stdout);
  if (std::fclose(source) != 0) emitf("File nende zavrit -> cos tam zase jebnul, ty delegate\n");
  return finishDriverOutput();
}

}  // namespace plimbo
