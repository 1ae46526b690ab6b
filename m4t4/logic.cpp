// Logical operators "|", "&", "!" and the six comparisons.
#include <cstdlib>
#include <cstring>

#include "procedures.h"

namespace m4t4 {
namespace {

// Compares left (pom_b) with right (pom_a): as numbers when both are
// numeric text, otherwise byte by byte. Returns <0, 0 or >0.
int porovnej() {
  if (Je_cislo(pom_a.data()) && Je_cislo(pom_b.data())) {
    double vlevo = std::atof(pom_b.data());
    double vpravo = std::atof(pom_a.data());
    return vlevo < vpravo ? -1 : vlevo > vpravo ? 1 : vlevo == vpravo ? 0 : 2;
  }
  return std::strcmp(pom_b.data(), pom_a.data());
}

// Applies the comparison `op` to the two values on top of the stack.
void porovnani(const char* op) {
  vyber_operandy();
  int r = porovnej();
  bool vysledek;
  if (r == 2) {  // not-a-number is unordered: only "!=" holds
    vysledek = std::strcmp(op, "!=") == 0;
  } else if (std::strcmp(op, "<") == 0) {
    vysledek = r < 0;
  } else if (std::strcmp(op, ">") == 0) {
    vysledek = r > 0;
  } else if (std::strcmp(op, "=") == 0) {
    vysledek = r == 0;
  } else if (std::strcmp(op, "!=") == 0) {
    vysledek = r != 0;
  } else if (std::strcmp(op, "<=") == 0) {
    vysledek = r <= 0;
  } else {
    vysledek = r >= 0;
  }
  vloz_pravdu(vysledek);
}

const char* operator_porovnani() {
  static constexpr const char* kOperatory[] = {"<", ">", "=", "!=", "<=", ">="};
  for (const char* op : kOperatory) {
    if (je(op)) return op;
  }
  return nullptr;
}

}  // namespace

/* Logicky_vyraz -> LV_1 Vnitrni_logicky_vyraz */
unsigned Logicky_vyraz() {
  if (!vstup_do_hloubky()) return chyba_vnoreni("Logicky_vyraz");
  unsigned s = LV_1();
  if (s == 0) s = Vnitrni_logicky_vyraz();
  --hloubka;
  return nastav(s);
}

/* Vnitrni_logicky_vyraz -> "|" LV_1 Vnitrni_logicky_vyraz | "&" LV_1 Vnitrni_logicky_vyraz | empty */
unsigned Vnitrni_logicky_vyraz() {
  while (je("|") || je("&")) {
    bool nebo = je("|");
    Lex();
    if (unsigned s = LV_1()) return nastav(s);
    vyber_operandy();
    if (i2_priznak != 0 && !(Je_cislo(pom_a.data()) && Je_cislo(pom_b.data()))) {
      return chyba_cislo("Vnitrni_logicky_vyraz");
    }
    bool vpravo = std::atof(pom_a.data()) != 0.0;
    bool vlevo = std::atof(pom_b.data()) != 0.0;
    vloz_pravdu(nebo ? (vlevo || vpravo) : (vlevo && vpravo));
  }
  return nastav(0);
}

/* LV_1 -> "!" LV_2 | LV_2 */
unsigned LV_1() {
  if (!je("!")) return nastav(LV_2());
  Lex();
  if (unsigned s = LV_2()) return nastav(s);
  Uber_ze_zas();
  kopiruj(pom_a, hodnota_zas.data());
  if (i2_priznak != 0 && !Je_cislo(pom_a.data())) return chyba_cislo("LV_1");
  vloz_pravdu(std::atof(pom_a.data()) == 0.0);
  return nastav(0);
}

/* LV_2 -> Aritmeticky_vyraz Vnitrni_LV_2 */
unsigned LV_2() {
  if (unsigned s = Aritmeticky_vyraz()) return nastav(s);
  return nastav(Vnitrni_LV_2());
}

/* Vnitrni_LV_2 -> op Aritmeticky_vyraz Vnitrni_LV_2 | empty, op one of < > = != <= >= */
unsigned Vnitrni_LV_2() {
  while (const char* op = operator_porovnani()) {
    Lex();
    if (unsigned s = Aritmeticky_vyraz()) return nastav(s);
    porovnani(op);
  }
  return nastav(0);
}

}  // namespace m4t4
