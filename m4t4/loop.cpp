// The loop statement: the first pass records the condition and body into a
// new level of the loop token stack; every further pass replays them.
#include "procedures.h"

namespace m4t4 {
namespace {

bool prehrava(int32_t rezim) { return rezim == kPrehrajPodminku || rezim == kPrehrajTelo; }

// Opens the level of an active loop and chooses where its first pass reads:
// the source, the enclosing level's replay (from where that replay stands),
// or, inside another first pass that reads a replay, that same replay.
unsigned otevri_uroven(int32_t vnejsi_rezim) {
  if (pocet_urovni >= kMaxUrovniCyklu) return chyba_vnoreni("While");
  Zvys_zas();
  if (unsigned s = checkStopped()) return s;
  if (vnejsi_rezim < kPrehrajPodminku) {
    rezim_LA = kZdrojPodminka;
    return 0;
  }
  rezim_LA = kPomPodminka;
  if (prehrava(vnejsi_rezim)) {
    zasobnik->zdroj = zasobnik->nizsi;
    Obnov_pom_zas();
  } else {
    zasobnik->zdroj = zasobnik->nizsi->zdroj;
  }
  return 0;
}

// Closes the level; a loop read from an enclosing replay moves that replay
// past its "w2_end".
void zavri_uroven(int32_t vnejsi_rezim) {
  if (prehrava(vnejsi_rezim)) zasobnik->nizsi->kurzor_tela = zasobnik->nizsi->kurzor_pom;
  Sniz_zas();
}

// Replays the condition and, while it holds, the body.
unsigned opakuj() {
  for (;;) {
    Obnov_zas();
    rezim_LA = kPrehrajPodminku;
    Lex();
    if (unsigned s = Logicky_vyraz()) return s;
    if (unsigned s = checkStopped()) return s;
    if (!popTruth()) return 0;
    rezim_LA = kPrehrajTelo;
    Lex();
    if (unsigned s = Blok()) return s;
    if (unsigned s = checkStopped()) return s;
  }
}

}  // namespace

/* While -> "(" Logicky_vyraz ")" Blok "w2_end" */
unsigned While() {
  int32_t vnejsi_priznak = i2_priznak;
  int32_t vnejsi_rezim = rezim_LA;
  bool aktivni = vnejsi_priznak != 0;
  if (!je(kOpenParen)) return chyba_znak("While", "(");
  if (aktivni) {
    if (unsigned s = otevri_uroven(vnejsi_rezim)) return s;
  }
  Lex();
  if (unsigned s = Logicky_vyraz()) return nastav(s);
  if (!je(kCloseParen)) return chyba_znak("While", ")");
  bool bezi = popTruth() && aktivni;
  if (aktivni) rezim_LA = rezim_LA == kZdrojPodminka ? kZdrojTelo : kPomTelo;
  if (!bezi) i2_priznak = 0;
  Lex();
  if (unsigned s = Blok()) return nastav(s);
  if (!je(kW2End)) return chyba_znak("While", "w2_end");
  if (cyklus_pretekl) return chyba_delka();
  if (unsigned s = checkStopped()) return s;
  if (bezi) {
    if (unsigned s = opakuj()) return nastav(s);
  }
  if (aktivni) zavri_uroven(vnejsi_rezim);
  rezim_LA = vnejsi_rezim;
  Lex();
  i2_priznak = vnejsi_priznak;
  return nastav(0);
}

}  // namespace m4t4
