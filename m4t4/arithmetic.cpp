// Arithmetic operators and factors.
#include <cmath>
#include <cstdlib>

#include "procedures.h"

namespace m4t4 {
namespace {

bool cisla() { return Je_cislo(pom_a.data()) && Je_cislo(pom_b.data()); }

// "+": the sum of two numeric texts, otherwise the texts joined.
unsigned plus() {
  vyber_operandy();
  if (cisla()) {
    return vloz_cislo(std::atof(pom_b.data()) + std::atof(pom_a.data()), "Vnitrni_aritmeticky_vyraz");
  }
  kopiruj(hodnota_zas, pom_b.data());
  pripoj(hodnota_zas, pom_a.data());
  Vloz_do_zas();
  return 0;
}

// "-", "*", "/", "%" on two numeric texts; reports `blok` when one is not.
unsigned pocitej(char op, const char* blok) {
  vyber_operandy();
  if (i2_priznak != 0 && !cisla()) return chyba_cislo(blok);
  double vlevo = std::atof(pom_b.data());
  double vpravo = std::atof(pom_a.data());
  switch (op) {
    case '-': return vloz_cislo(vlevo - vpravo, blok);
    case '*': return vloz_cislo(vlevo * vpravo, blok);
    case '/': return vloz_cislo(vlevo / vpravo, blok);
    default: return vloz_cislo(std::fmod(vlevo, vpravo), blok);
  }
}

}  // namespace

void vyber_operandy() {
  Uber_ze_zas();
  kopiruj(pom_a, hodnota_zas.data());
  Uber_ze_zas();
  kopiruj(pom_b, hodnota_zas.data());
}

unsigned vloz_cislo(double value, const char* blok) {
  if (i2_priznak == 0) return 0;
  int delka = std::snprintf(hodnota_zas.data(), hodnota_zas.size(), "%f", value);
  // A cut "%f" text would be another number.
  if (delka >= static_cast<int>(hodnota_zas.size())) return chyba_velky(blok);
  Vloz_do_zas();
  return 0;
}

void vloz_pravdu(bool value) {
  std::snprintf(hodnota_zas.data(), hodnota_zas.size(), "%d", value ? 1 : 0);
  Vloz_do_zas();
}

/* Aritmeticky_vyraz -> Term Vnitrni_aritmeticky_vyraz */
unsigned Aritmeticky_vyraz() {
  if (unsigned s = Term()) return nastav(s);
  return nastav(Vnitrni_aritmeticky_vyraz());
}

/* Vnitrni_aritmeticky_vyraz -> "+" Term Vnitrni_aritmeticky_vyraz
 *                            | "-" Term Vnitrni_aritmeticky_vyraz | empty */
unsigned Vnitrni_aritmeticky_vyraz() {
  while (je("+") || je("-")) {
    char op = token_buffer.text[0];
    Lex();
    if (unsigned s = Term()) return nastav(s);
    if (unsigned s = op == '+' ? plus() : pocitej(op, "Vnitrni_aritmeticky_vyraz")) return s;
  }
  return nastav(0);
}

/* Term -> Faktor Vnitrni_term */
unsigned Term() {
  if (unsigned s = Faktor()) return nastav(s);
  return nastav(Vnitrni_term());
}

/* Vnitrni_term -> "*" Faktor Vnitrni_term | "/" Faktor Vnitrni_term
 *               | "%" Faktor Vnitrni_term | empty */
unsigned Vnitrni_term() {
  while (je("*") || je("/") || je("%")) {
    char op = token_buffer.text[0];
    Lex();
    if (unsigned s = Faktor()) return nastav(s);
    if (unsigned s = pocitej(op, "Vnitrni_term")) return s;
  }
  return nastav(0);
}

/* Faktor -> "(" Logicky_vyraz ")" | cislo | retezec | promenna | Funkce_volani */
unsigned Faktor() {
  if (je("(")) {
    Lex();
    if (unsigned s = Logicky_vyraz()) return nastav(s);
    if (!je(")")) return chyba_znak("Faktor", ")");
  } else if (token_buffer.trida == kCislo || token_buffer.trida == kRetezec) {
    kopiruj(hodnota_zas, token_buffer.text.data());
    Vloz_do_zas();
  } else if (token_buffer.trida == kPromenna) {
    kopiruj(hodnota_tab, token_buffer.text.data());
    Nacti_obsah_tab();
    kopiruj(hodnota_zas, hodnota_tab.data());
    Vloz_do_zas();
  } else if (token_buffer.trida == kVolani) {
    return nastav(Funkce_volani());
  } else {
    return chyba_znak("Faktor", "cislo, promenna, retezec, komentar nebo volani fce");
  }
  Lex();
  return nastav(0);
}

}  // namespace m4t4
