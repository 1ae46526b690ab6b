// The loop token stack: one level per running loop, holding the recorded
// tokens of its condition and body and the cursors they are replayed from.
#include <cstring>
#include <new>

#include "procedures.h"

namespace m4t4 {
namespace {

// Copies a token by its length, not its buffer size.
void copyToken(Token& to, const Token& from) {
  std::memcpy(to.text.data(), from.text.data(), from.length + 1u);
  to.trida = from.trida;
  to.length = from.length;
  to.word = from.word;
  to.record = from.record;
  to.number = from.number;
}

void pripoj_uzel(Seznam& seznam) {
  if (pocet_uzlu >= kMaxUzluCyklu) {
    cyklus_pretekl = true;
    return;
  }
  auto* uzel = new (std::nothrow) UzelTokenu;
  if (uzel == nullptr) return refuseRecord("Vloz_do_zas_cykl", "nedostatek pameti");
  ++pocet_uzlu;
  copyToken(uzel->token, *token_buffer);
  if (seznam.posledni == nullptr) {
    seznam.prvni = uzel;
  } else {
    seznam.posledni->dalsi = uzel;
  }
  seznam.posledni = uzel;
}

// Appends the current token to the body lists of the levels from `od`
// outward, stopping before `po` (null: all of them).
void pripoj_do_tel(Uroven* od, Uroven* po) {
  for (Uroven* u = od; u != nullptr && u != po; u = u->nizsi) pripoj_uzel(u->telo);
}

// Makes a recorded token the current one, in place; a missing node reads as
// end of input, and so does every token once a fuzz build's budget is spent.
void nacti_uzel(UzelTokenu* uzel) {
#ifdef FUZZ_BUDGET
  if (++prehrane_tokeny > kRozpocetPrehravani) uzel = nullptr;
#endif
  token_buffer = uzel != nullptr ? &uzel->token : &endToken;
}

}  // namespace

void Zvys_zas() {
  auto* uroven = new (std::nothrow) Uroven;
  if (uroven == nullptr) return refuseRecord("Zvys_zas", "nedostatek pameti");
  uroven->nizsi = zasobnik;
  zasobnik = uroven;
  ++pocet_urovni;
}

void Sniz_zas() {
  if (zasobnik == nullptr) return;
  Uroven* uroven = zasobnik;
  zasobnik = uroven->nizsi;
  Uvolni_sez(uroven->telo.prvni);
  Uvolni_sez(uroven->podminka.prvni);
  delete uroven;
  --pocet_urovni;
}

void Obnov_zas() {
  if (zasobnik == nullptr) return;
  zasobnik->kurzor_podminky = zasobnik->podminka.prvni;
  zasobnik->kurzor_tela = zasobnik->telo.prvni;
}

void Obnov_pom_zas() {
  if (zasobnik == nullptr) return;
  Uroven* cil = zasobnik->nizsi != nullptr ? zasobnik->nizsi : zasobnik;
  cil->kurzor_pom = cil->kurzor_tela;
}

void Vloz_do_zas_cykl() {
  Uroven* vrchol = zasobnik;
  if (vrchol == nullptr) return;
  switch (rezim_LA) {
    case kZdrojPodminka:
      pripoj_uzel(vrchol->podminka);
      pripoj_do_tel(vrchol->nizsi, nullptr);
      break;
    case kZdrojTelo:
      pripoj_do_tel(vrchol, nullptr);
      break;
    case kPomPodminka:
      pripoj_uzel(vrchol->podminka);
      pripoj_do_tel(vrchol->nizsi, vrchol->zdroj);
      break;
    case kPomTelo:
      pripoj_do_tel(vrchol, vrchol->zdroj);
      break;
    default:
      break;
  }
}

void Cti_ze_zas() {
  Uroven* vrchol = zasobnik;
  if (vrchol == nullptr) return;
  bool podminka = rezim_LA == kPrehrajPodminku;
  if (!podminka && rezim_LA != kPrehrajTelo) return;
  UzelTokenu*& kurzor = podminka ? vrchol->kurzor_podminky : vrchol->kurzor_tela;
  UzelTokenu* uzel = kurzor;
  nacti_uzel(uzel);
  if (uzel == nullptr) return;
  UzelTokenu* dalsi = uzel->dalsi;
  kurzor = dalsi != nullptr ? dalsi : podminka ? vrchol->podminka.prvni : vrchol->telo.prvni;
}

// Modes 5 and 6: the first pass of a loop reads the recording of the
// replaying level it started in, through that level's look-ahead cursor.
void Cti_pres_pom() {
  Uroven* vrchol = zasobnik;
  if (vrchol == nullptr || vrchol->zdroj == nullptr) return;
  Uroven* zdroj = vrchol->zdroj;
  nacti_uzel(zdroj->kurzor_pom);
  Vloz_do_zas_cykl();
  if (zdroj->kurzor_pom == nullptr) return;
  zdroj->kurzor_pom = zdroj->kurzor_pom->dalsi;
  if (zdroj->kurzor_pom == nullptr) zdroj->kurzor_pom = zdroj->kurzor_tela;
}

void Uvolni_sez(UzelTokenu* prvni) {
  while (prvni != nullptr) {
    UzelTokenu* dalsi = prvni->dalsi;
    delete prvni;
    --pocet_uzlu;
    prvni = dalsi;
  }
}

void Uvolni_zas_cykl() {
  while (zasobnik != nullptr) Sniz_zas();
  pocet_urovni = 0;
  pocet_uzlu = 0;
}

}  // namespace m4t4
