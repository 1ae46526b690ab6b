// The command line, the syntax analysis entry and the start symbol.
#include "m4t4.h"
#include "procedures.h"

namespace m4t4 {

void Man() { std::printf("Prosim zadejte vstupni soubor ve tvaru: './m4t4 jmeno_souboru.m4t'.\n"); }

int32_t SA() {
  Lex();
  chyba_SA = static_cast<int32_t>(Hlavni_program());
  if (chyba_SA != 0) std::fprintf(vystup, "\nV programu se vyskytla chyba.\n");
  return chyba_SA;
}

/* Hlavni_program -> Funkce_deklarace Blok Hlavni_program | Blok "." */
unsigned Hlavni_program() {
  while (token_buffer.trida == kDeklarace) {
    if (unsigned s = Funkce_deklarace()) return nastav(s);
    if (unsigned s = Blok()) return nastav(s);
  }
  if (unsigned s = Blok()) return nastav(s);
  if (!je(".")) return nastav(1);
  std::fprintf(vystup, "\nProgram probehl bez chyb.\n");
  return nastav(0);
}

int interpret(FILE* source, FILE* input, FILE* output) {
  reset();
  f = source;
  vstup = input;
  vystup = output;
  SA();
  int32_t status = chyba_SA;
  Uvolni_tab();
  Uvolni_zas();
  Uvolni_zas_cykl();
  std::fflush(vystup);
  reset();
  return status;
}

namespace {

// Opens the source for reading. A file that opens but cannot be read (a
// directory, say) counts as one that cannot be opened.
std::FILE* openSource(const char* name) {
  std::FILE* source = std::fopen(name, "rb");
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
  std::printf("\nhello\n\n");
  if (argc <= 1) {
    Man();
    return 0;
  }
  if (argc > 3) {
    std::printf("Prilis mnoho argumentu.\n");
    Man();
    return 0;
  }
  FILE* source = stdin;
  if (argc == 2) {
    source = openSource(argv[1]);
    if (source == nullptr) {
      std::printf("\nSoubor \"%s\" se nezdarilo otevrit.\n", argv[1]);
      return 0;
    }
  }
  interpret(source, stdin, stdout);
  if (std::fclose(source) != 0) std::printf("Soubor se nezdarilo uzavrit.\n");
  std::printf("\nbye\n\n");
  return 0;
}

}  // namespace m4t4
