// Command line, the run of one program, the start symbol and the helpers the
// grammar procedures share.
#include "procedures.h"

namespace plimbo {

void man() { std::printf("zadejte >>./plimbo jm_souboru.plb\n a jebni ENTER eskamotere.\n"); }

unsigned syntaxError(const char* procedure, const char* expected) {
  std::printf("(%s)Chyba (%d), ocekavan: %s, obdrzen: %s\n", procedure, lineNo, expected,
              tok_n.text.data());
  return SAError = 1;
}

unsigned enterNesting(const char* procedure) {
  if (nestingDepth >= kMaxNesting) {
    std::printf("(%s)Chyba (%d), prilis hluboke vnoreni, obdrzen: %s\n", procedure, lineNo,
                tok_n.text.data());
    return SAError = 1;
  }
  ++nestingDepth;
  return 0;
}

void leaveNesting() { --nestingDepth; }

void refuseRecord(const char* procedure, const char* problem) {
  if (storeFull == 0) std::printf("(%s)Chyba (%d), %s\n", procedure, lineNo, problem);
  storeFull = 1;
}

unsigned checkStoreFull() { return storeFull != 0 ? SAError = 1 : 0; }

/* Program -> { dek_fce blok } blok "ZDECHNI" */
unsigned Program() {
  while (tok_n.type == kDeclarationName) {
    if ((SAError = dek_fce()) != 0) return SAError;
    if ((SAError = blok()) != 0) return SAError;
  }
  if ((SAError = blok()) != 0) return SAError;
  if (!isText("ZDECHNI")) return SAError = 1;
  std::printf("\nGame over, uspesne dokonceno!!!\n");
  return 0;
}

unsigned SA() {
  lex();
  SAError = Program();
  if (SAError != 0) std::printf("\nNeco se pokazilo...\n");
  return SAError;
}

int interpret(std::FILE* source, std::FILE* input) {
  reset();
  f = source;
  inputStream = input;
  SAError = SA();
  ST_free();
  PD_free();
  WH_PD_free();
  int status = static_cast<int>(SAError);
  reset();
  return status;
}

namespace {

// Opens the source for reading. A file that opens but cannot be read (a
// directory, say) counts as one that cannot be opened.
std::FILE* openSource(const char* name) {
  std::FILE* source = std::fopen(name, "r");
  if (source == nullptr) return nullptr;
  const int first = std::getc(source);
  if (std::ferror(source)) {
    std::fclose(source);
    return nullptr;
  }
  std::ungetc(first, source);
  return source;
}

}  // namespace

int run(int argc, char** argv) {
  int arguments = argc - 1;
  if (arguments <= 0) {
    man();
    return 0;
  }
  if (arguments >= 3) {
    std::printf("Je tam teho moc. [Spatne mnozstvi argumentu.]");
    man();
    return 0;
  }
  std::FILE* source = stdin;
  if (arguments == 1) {
    source = openSource(argv[1]);
    if (source == nullptr) {
      std::printf("\nFile \"%s\" se nepodarilo otevrit ty plimbo, cos tam jebnul\n", argv[1]);
      return 0;
    }
  }
  // With standard input closed, the source may have been opened on its
  // descriptor; NASAJ must then not read the program text as input.
  bool sharesInput = arguments == 1 && fileno(source) == fileno(stdin);
  interpret(source, sharesInput ? nullptr : stdin);
  if (std::fclose(source) != 0) std::printf("File nende zavrit -> cos tam zase jebnul, ty delegate\n");
  return 0;
}

}  // namespace plimbo
