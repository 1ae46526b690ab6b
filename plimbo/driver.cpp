// Command line, the run of one program, the start symbol and the helpers the
// grammar procedures share.
#include <sys/stat.h>

#include <cstdarg>
#include <cstring>

#include "hooks.h"
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
  if (nestingDepth >= nestingLimit && nestingDepth < kMaxNesting)
    return reportProblem(procedure, "vnoreni potrebuje vic zasobniku, obdrzen: %s", tok_n->text.data());
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

void outOfMemory() { refuseRecord("SA", "nedostatek pameti"); }

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
  lex();
  SAError = Program();
  if (SAError != 0) emitf("\nNeco se pokazilo...\n");
  return SAError;
}

int interpret(std::FILE* source, std::FILE* input, std::FILE* output) {
  reset();
  f = source;
  inputStream = input;
  inputMayWait = input != nullptr && readMayWait(input);
  startOutput(output);
  drawHashKey();
  analyseOnReservedStack([] { SA(); });
  runEnds();
  const int status = static_cast<int>(SAError);
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
      // (The name in three parts: it may be too long to format in one.)
      emitf("\nFile \"");
      emit(argv[1], std::strlen(argv[1]));
      emitf("\" se nepodarilo otevrit ty plimbo, cos tam jebnul\n");
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
