// Diagnostics of the grammar procedures and the status bookkeeping they share.
#include <cstring>

#include "procedures.h"

namespace m4t4 {

unsigned nastav(unsigned status) {
  chyba_SA = static_cast<int32_t>(status);
  return status;
}

unsigned chyba_znak(const char* blok, const char* ocekavano) {
  std::fprintf(vystup,
               "V bloku: '%s', na radku: %d nastala chyba - byl ocekavan znak: \"%s\", "
               "namisto toho se vyskytl tento znak: \"%s\".\n",
               blok, cislo_radku, ocekavano, token_buffer.text.data());
  return nastav(1);
}

unsigned chyba_cislo(const char* blok) {
  std::fprintf(vystup, "V bloku: '%s', na radku: %d nastala chyba - nejedna se o cislo.\n", blok,
               cislo_radku);
  return nastav(1);
}

unsigned chyba_vnoreni(const char* blok) {
  std::fprintf(vystup, "V bloku: '%s', na radku: %d nastala chyba - prilis hluboke vnoreni.\n",
               blok, cislo_radku);
  return nastav(1);
}

bool vstup_do_hloubky() {
  if (hloubka >= kMaxVnoreni) return false;
  ++hloubka;
  return true;
}

}  // namespace m4t4
