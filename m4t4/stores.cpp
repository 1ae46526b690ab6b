// The value table (variables) and the value stack (intermediate values).
// Both obey the effects flag i2_priznak and exchange data through
// hodnota_tab and hodnota_zas.
#include <algorithm>
#include <cstring>
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
  zaznam->length = std::strlen(kNeurcena);
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
  zaznam->length = std::strlen(zaznam->hodnota.data());
  zaznam->number = {};
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

UzelZas* newValueNode() {
  if (i2_priznak == 0) return nullptr;
  if (pocet_zas >= kMaxValues) {
    refuseRecord("Vloz_do_zas", "prilis mnoho hodnot");
    return nullptr;
  }
  UzelZas* uzel = volne_zas;
  if (uzel != nullptr) {
    volne_zas = uzel->dalsi;
  } else {
    uzel = new (std::nothrow) UzelZas;
    if (uzel == nullptr) {
      refuseRecord("Vloz_do_zas", "nedostatek pameti");
      return nullptr;
    }
  }
  ++pocet_zas;
  uzel->dalsi = vrchol_zas;
  vrchol_zas = uzel;
  return uzel;
}

void pushValue(const char* text, std::size_t length, KnownNumber number) {
  UzelZas* uzel = newValueNode();
  if (uzel == nullptr) return;
  length = std::min(length, kDelkaHodnoty - 1);  // a value keeps 254 characters
  std::memcpy(uzel->text.data(), text, length);
  uzel->text[length] = '\0';
  uzel->length = length;
  uzel->number = number;
}

void dropValues(int count) {
  for (; count > 0 && vrchol_zas != nullptr; --count) {
    UzelZas* uzel = vrchol_zas;
    vrchol_zas = uzel->dalsi;
    --pocet_zas;
    uzel->dalsi = volne_zas;
    volne_zas = uzel;
  }
}

void Vloz_do_zas() { pushValue(hodnota_zas.data(), std::strlen(hodnota_zas.data()), {}); }

KnownNumber popInto(char* target, std::size_t size) {
  if (i2_priznak == 0) return {};
  if (vrchol_zas == nullptr) {  // a call without arguments used as a value
    target[0] = '\0';
    return {};
  }
  std::size_t length = std::min(vrchol_zas->length, size - 1);
  std::memcpy(target, vrchol_zas->text.data(), length);
  target[length] = '\0';
  KnownNumber number = vrchol_zas->number;
  dropValues(1);
  return number;
}

void popIntoRecord(Zaznam& zaznam) {
  if (i2_priznak == 0) return;
  UzelZas* uzel = vrchol_zas;
  if (uzel == nullptr) {  // a call without arguments used as a value
    zaznam.hodnota[0] = '\0';
    zaznam.length = 0;
    zaznam.number = {};
    return;
  }
  std::memcpy(zaznam.hodnota.data(), uzel->text.data(), uzel->length + 1);
  zaznam.length = uzel->length;
  zaznam.number = uzel->number;
  dropValues(1);
}

void Uber_ze_zas() { popInto(hodnota_zas); }

void pushVariable(Token& token) {
  if (i2_priznak == 0) return;
  Zaznam* zaznam = recordOf(token);  // created when missing, as Nacti_obsah_tab does
  if (zaznam == nullptr) return pushValue("", 0, {});
  pushValue(zaznam->hodnota.data(), zaznam->length, zaznam->number);
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
