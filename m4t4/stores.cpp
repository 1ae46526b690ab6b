// The value table (variables) and the value stack (intermediate values).
// Both obey the effects flag i2_priznak and exchange data through
// hodnota_tab and hodnota_zas.
#include <new>

#include "procedures.h"

namespace m4t4 {
namespace {

Zaznam* najdi(const char* jmeno) {
  auto it = index_tab.find(std::string_view(jmeno));
  return it == index_tab.end() ? nullptr : it->second;
}

// A new record, or null (and the run stopped) when the table is full or
// memory runs out.
Zaznam* vytvor(const char* jmeno) {
  if (pocet_tab >= kMaxVariables) {
    refuseRecord("Vloz_do_tab", "prilis mnoho promennych");
    return nullptr;
  }
  Zaznam* zaznam = nullptr;
  try {
    zaznam = new Zaznam;
    kopiruj(zaznam->jmeno, jmeno);
    index_tab.emplace(std::string_view(zaznam->jmeno.data()), zaznam);
  } catch (const std::bad_alloc&) {
    delete zaznam;
    refuseRecord("Vloz_do_tab", "nedostatek pameti");
    return nullptr;
  }
  kopiruj(zaznam->hodnota, kNeurcena);
  zaznam->dalsi = vrchol_tab;
  vrchol_tab = zaznam;
  ++pocet_tab;
  return zaznam;
}

}  // namespace

Zaznam* Vloz_do_tab() {
  Zaznam* zaznam = najdi(hodnota_tab.data());
  if (zaznam != nullptr || i2_priznak == 0) return zaznam;
  return vytvor(hodnota_tab.data());
}

void Vloz_obsah_tab(Zaznam* zaznam) {
  if (i2_priznak == 0 || zaznam == nullptr) return;
  kopiruj(zaznam->hodnota, hodnota_tab.data());
}

void Nacti_obsah_tab() {
  if (i2_priznak == 0) return;
  Zaznam* zaznam = Vloz_do_tab();
  kopiruj(hodnota_tab, zaznam != nullptr ? zaznam->hodnota.data() : "");
}

void Uvolni_tab() {
  index_tab.clear();
  pocet_tab = 0;
  while (vrchol_tab != nullptr) {
    Zaznam* dalsi = vrchol_tab->dalsi;
    delete vrchol_tab;
    vrchol_tab = dalsi;
  }
}

namespace {

// Pushes a copy of `text` (at most 254 characters are kept, as in the
// exchange buffer) while effects are on.
void pushText(const char* text) {
  if (i2_priznak == 0) return;
  if (pocet_zas >= kMaxValues) return refuseRecord("Vloz_do_zas", "prilis mnoho hodnot");
  UzelZas* uzel = volne_zas;
  if (uzel != nullptr) {
    volne_zas = uzel->dalsi;
  } else {
    uzel = new (std::nothrow) UzelZas;
    if (uzel == nullptr) return refuseRecord("Vloz_do_zas", "nedostatek pameti");
  }
  ++pocet_zas;
  kopiruj(uzel->text.data(), kDelkaHodnoty, text);
  uzel->dalsi = vrchol_zas;
  vrchol_zas = uzel;
}

}  // namespace

void Vloz_do_zas() { pushText(hodnota_zas.data()); }

void popInto(char* target, std::size_t size) {
  if (i2_priznak == 0) return;
  if (vrchol_zas == nullptr) {  // a call without arguments used as a value
    target[0] = '\0';
    return;
  }
  UzelZas* uzel = vrchol_zas;
  kopiruj(target, size, uzel->text.data());
  vrchol_zas = uzel->dalsi;
  --pocet_zas;
  uzel->dalsi = volne_zas;
  volne_zas = uzel;
}

void Uber_ze_zas() { popInto(hodnota_zas); }

void pushVariable(Token& token) {
  if (i2_priznak == 0) return;
  if (token.record == nullptr) {
    kopiruj(hodnota_tab, token.text.data());
    token.record = Vloz_do_tab();  // created when missing, as Nacti_obsah_tab does
  }
  pushText(token.record != nullptr ? token.record->hodnota.data() : "");
}

Zaznam* recordOf(Token& token) {
  if (token.record == nullptr) {
    kopiruj(hodnota_tab, token.text.data());
    token.record = Vloz_do_tab();
  }
  return token.record;
}

namespace {

void uvolni_uzly(UzelZas*& vrchol) {
  while (vrchol != nullptr) {
    UzelZas* dalsi = vrchol->dalsi;
    delete vrchol;
    vrchol = dalsi;
  }
}

}  // namespace

void Uvolni_zas() {
  uvolni_uzly(vrchol_zas);
  uvolni_uzly(volne_zas);
  pocet_zas = 0;
}

}  // namespace m4t4
