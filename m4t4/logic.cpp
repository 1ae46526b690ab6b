// Logical operators "|", "&", "!" and the six comparisons.
#include <compare>
#include <cstdlib>
#include <cstring>

#include "procedures.h"

namespace m4t4 {
namespace {

// Compares left (pom_b) with right (pom_a): as numbers when both are
// numeric text, otherwise as strcmp orders the bytes. Only strcmp's sign is
// used. A NaN operand makes the pair unordered, which no text pair can be.
std::partial_ordering porovnej() {
  if (Je_cislo(pom_a.data()) && Je_cislo(pom_b.data())) {
    return std::atof(pom_b.data()) <=> std::atof(pom_a.data());
  }
  return std::strcmp(pom_b.data(), pom_a.data()) <=> 0;
}

// Applies the comparison `op` to the two values on top of the stack.
// An unordered pair makes every comparison false except "!=".
void porovnani(const char* op) {
  vyber_operandy();
  std::partial_ordering r = porovnej();
  bool vysledek;
  if (std::strcmp(op, "<") == 0) {
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
