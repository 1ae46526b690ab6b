// The interpreter's procedures, one group per source file. Grammar
// procedures return 0 for success or the non-zero status of the error they
// met; each stores its result in chyba_SA.
#pragma once

#include <cstdint>
#include <cstring>

#include "globals.h"

namespace m4t4 {

// driver.cpp
int32_t SA();
unsigned Hlavni_program();
void Man();

// diagnostics.cpp: print one diagnostic naming the rule `blok` and return 1.
unsigned chyba_znak(const char* blok, const char* ocekavano);
unsigned chyba_cislo(const char* blok);
unsigned chyba_vnoreni(const char* blok);
unsigned chyba_velky(const char* blok);   // an arithmetic result too long for a value
unsigned chyba_delka();                   // a loop's first pass did not fit the loop token stack
unsigned chyba_bez_zpravy();              // an error without a message of its own
// A store refuses a record (full, or out of memory): prints the diagnostic
// once and stops the run at the next statement boundary.
void refuseRecord(const char* blok, const char* problem);
unsigned checkStopped();            // 1 (stored in chyba_SA) once the run has been stopped
unsigned nastav(unsigned status);   // stores the status in chyba_SA and returns it
bool vstup_do_hloubky();            // counts one more nesting level; false when too deep

// output.cpp: everything the interpreter prints goes through these.
void printText(const char* text, std::size_t size);
void printFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool flushOutput();   // writes the buffered output; false once a write has failed

// The current token's text equals `text` (first byte checked first: this
// runs several times for every token).
inline bool je(const char* text) {
  return token_buffer.text[0] == text[0] && std::strcmp(token_buffer.text.data(), text) == 0;
}

// lexer.cpp
int32_t Lex();
int32_t Je_cislo(const char* text);

// stores.cpp
Zaznam* Vloz_do_tab();
void Vloz_obsah_tab(Zaznam* zaznam);
void Nacti_obsah_tab();
void Uvolni_tab();
void Vloz_do_zas();
void Uber_ze_zas();
void Uvolni_zas();

// loop_stack.cpp
void Zvys_zas();
void Sniz_zas();
void Obnov_zas();
void Obnov_pom_zas();
void Vloz_do_zas_cykl();
void Cti_ze_zas();
void Cti_pres_pom();
void Uvolni_sez(UzelTokenu* prvni);
void Uvolni_zas_cykl();

// statements.cpp
unsigned Blok();
unsigned Vnitrni_blok();
unsigned Prikaz();
unsigned Prirazeni();
unsigned Cti();
unsigned Pis();
unsigned Pis_Ln();

// functions.cpp
unsigned Funkce_deklarace();
unsigned Vnitrni_funkce_deklarace();
unsigned Funkce_volani();
unsigned Start();

// conditional.cpp
int32_t Je_pravda(const char* text);
unsigned If();

// loop.cpp
unsigned While();

// logic.cpp
unsigned Logicky_vyraz();
unsigned Vnitrni_logicky_vyraz();
unsigned LV_1();
unsigned LV_2();
unsigned Vnitrni_LV_2();

// arithmetic.cpp
unsigned Aritmeticky_vyraz();
unsigned Vnitrni_aritmeticky_vyraz();
unsigned Term();
unsigned Vnitrni_term();
unsigned Faktor();
void vyber_operandy();              // pops the right operand into pom_a, the left into pom_b
// Pushes "%f" of value while effects are on; a text longer than a value holds
// is reported under the rule `blok`.
unsigned vloz_cislo(double value, const char* blok);
void vloz_pravdu(bool value);       // pushes "1" or "0"

}  // namespace m4t4
