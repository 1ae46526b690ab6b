// The conditional statement and the truth test of values.
#include <cstdlib>

#include "procedures.h"

namespace m4t4 {

int32_t Je_pravda(const char* text) {
  if (Je_cislo(text)) return toNumber(text) != 0.0;
  return text[0] != '\0';
}

bool popTruth() {
  KnownNumber number = popInto(hodnota_zas);
  if (number.known) return number.value != 0.0;  // numeric text whose atof is known
  return Je_pravda(hodnota_zas.data()) != 0;
}

/* If -> "(" Logicky_vyraz ")" Blok "e2" Blok "i2_end" | "(" Logicky_vyraz ")" Blok "i2_end" */
unsigned If() {
  int32_t vnejsi = i2_priznak;
  if (!je(kOpenParen)) return chyba_znak("If", "(");
  Lex();
  if (unsigned s = Logicky_vyraz()) return nastav(s);
  if (!je(kCloseParen)) return chyba_znak("If", ")");
  i2_priznak = popTruth() && vnejsi != 0;
  Lex();
  if (unsigned s = Blok()) return nastav(s);
  if (je(kE2)) {
    i2_priznak = vnejsi != 0 && i2_priznak == 0;
    Lex();
    if (unsigned s = Blok()) return nastav(s);
  }
  if (!je(kI2End)) return chyba_znak("If", "i2_end");
  i2_priznak = vnejsi;
  Lex();
  return nastav(0);
}

}  // namespace m4t4
