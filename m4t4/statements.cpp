// Blocks and the simple statements: assignment, cti, pis and pis_ln.
#include "procedures.h"

namespace m4t4 {
namespace {

bool zacina_prikaz() {
  int32_t trida = token_buffer->trida;
  return trida == kSlovo || trida == kPromenna || trida == kVolani || je(kW2) || je(kI2) ||
         je(kCtiWord) || je(kPisWord) || je(kPisLnWord);
}

// One whitespace-delimited word of the input stream into pom_a; a word
// longer than the buffer is read whole and keeps its beginning; at end of
// input, or without an input stream, the word is empty. What was printed so
// far is written first, so that a prompt shows before the program waits.
void cti_slovo() {
  auto mezera = [](int c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  flushOutput();
  pom_a[0] = '\0';
  if (vstup == nullptr) return;
  int c = std::fgetc(vstup);
  while (c != EOF && mezera(c)) c = std::fgetc(vstup);
  std::size_t delka = 0;
  for (; c != EOF && !mezera(c); c = std::fgetc(vstup)) {
    if (delka + 1 < pom_a.size()) pom_a[delka++] = static_cast<char>(c);
  }
  if (c != EOF) std::ungetc(c, vstup);
  pom_a[delka] = '\0';
}

// Pis_Ln and Pis: "(" Logicky_vyraz ")", printed, followed by a line feed
// when `novy_radek`.
unsigned vypis(const char* blok, bool novy_radek) {
  if (!je(kOpenParen)) return chyba_znak(blok, "(");
  Lex();
  if (unsigned s = Logicky_vyraz()) return nastav(s);
  if (!je(kCloseParen)) return chyba_znak("Pis", ")");
  if (unsigned s = checkStopped()) return s;
  Uber_ze_zas();
  if (i2_priznak != 0) {
    printText(hodnota_zas.data(), std::strlen(hodnota_zas.data()));
    if (novy_radek) printText("\n", 1);
    if (outputIsTerminal) flushOutput();
    if (unsigned s = checkStopped()) return s;
  }
  Lex();
  return nastav(0);
}

}  // namespace

/* Blok -> "{" Vnitrni_blok "}" */
unsigned Blok() {
  if (!je(kOpenBrace)) return chyba_znak("Blok", "{");
  if (!vstup_do_hloubky()) return chyba_vnoreni("Blok");
  Lex();
  unsigned s = Vnitrni_blok();
  --hloubka;
  if (s != 0) return nastav(s);
  if (!je(kCloseBrace)) return chyba_znak("Blok", "}");
  Lex();
  return nastav(0);
}

/* Vnitrni_blok -> Prikaz ";" Vnitrni_blok | empty */
unsigned Vnitrni_blok() {
  while (zacina_prikaz()) {
    if (unsigned s = Prikaz()) return nastav(s);
    if (unsigned s = checkStopped()) return s;
    if (token_buffer->trida != kStrednik) return chyba_znak("Vnitrni_blok", ";");
    Lex();
  }
  return nastav(0);
}

/* Prikaz -> promenna Prirazeni | "i2" If | "w2" While | "pis" Pis | "pis_ln" Pis_Ln
 *         | "cti" Cti | Funkce_volani */
unsigned Prikaz() {
  if (token_buffer->trida == kPromenna) {
    Zaznam* zaznam = recordOf(*token_buffer);
    Lex();
    if (unsigned s = Prirazeni()) return nastav(s);
    if (zaznam != nullptr) {
      popIntoRecord(*zaznam);
    } else {
      Uber_ze_zas();
    }
    return nastav(0);
  }
  unsigned (*prikaz)() = je(kI2)       ? If
                         : je(kW2)     ? While
                         : je(kPisWord)    ? Pis
                         : je(kPisLnWord) ? Pis_Ln
                         : je(kCtiWord)    ? Cti
                                        : nullptr;
  if (prikaz != nullptr) {
    Lex();
    return nastav(prikaz());
  }
  if (token_buffer->trida == kVolani) return nastav(Funkce_volani());
  return chyba_znak("Prikaz", "prikaz");
}

/* Prirazeni -> "->" Logicky_vyraz */
unsigned Prirazeni() {
  if (token_buffer->trida != kSipka) return chyba_znak("Prirazeni", "->");
  Lex();
  return nastav(Logicky_vyraz());
}

/* Cti -> "(" promenna ")" */
unsigned Cti() {
  if (!je(kOpenParen)) return chyba_znak("Cti", "(");
  Lex();
  if (token_buffer->trida != kPromenna) return chyba_bez_zpravy();
  Zaznam* zaznam = recordOf(*token_buffer);
  Lex();
  if (!je(kCloseParen)) return chyba_znak("Cti", ")");
  if (i2_priznak != 0) {
    if (unsigned s = checkStopped()) return s;
    cti_slovo();
    kopiruj(hodnota_tab, pom_a.data());
    Vloz_obsah_tab(zaznam);
  }
  Lex();
  return nastav(0);
}

/* Pis -> "(" Logicky_vyraz ")" */
unsigned Pis() { return vypis("Pis", false); }

/* Pis_Ln -> "(" Logicky_vyraz ")" */
unsigned Pis_Ln() { return vypis("Pis_Ln", true); }

}  // namespace m4t4
