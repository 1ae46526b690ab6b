// The lexer: a character-level state machine over the source stream in
// modes 0 to 2, and token replay from the loop token stack in modes 3 to 6.
#include <cerrno>
#include <cstring>

#include "procedures.h"

namespace m4t4 {
namespace {

constexpr int kEof = -1;

// States of the scanner.
enum Stav {
  sStart = 0,
  sPoCarce = 1,        // after the decimal comma, waiting for a digit
  sPoE = 2,            // after "e", waiting for a digit or sign
  sPoZnamenku = 3,     // after the exponent's sign, waiting for a digit
  sRetezec = 4,
  sPoLomitku = 5,      // in a string, after "/"
  sPoPodtrzitku = 6,   // in a word, after "_"
  sPoSigilu = 7,       // after "?", "@" or "~", waiting for a letter
  sRadkovyKom = 8,
  sBlokovyKom = 9,
  sBlokKomVykricnik = 10,
  sPoDvojtecce = 11,
  sHotovo = 12,        // token complete, one character of look-ahead to push back
  sCelaCast = 13,
  sSlovo = 14,
  sPoPlus = 15,
  sPoMinus = 16,
  sRelace = 17,        // after "!", "<" or ">"
  sDesetinna = 19,
  sExponent = 20,
};

bool pismeno(int c) { return c >= 'a' && c <= 'z'; }
bool cislice(int c) { return c >= '0' && c <= '9'; }

// Next character: the pushed-back one, else the next byte of the source.
int cti_znak() {
  if (buffer != 0) {
    int c = buffer;
    buffer = 0;
    return c;
  }
  int c = std::fgetc(f);
  if (c == EOF) {
    // A failed read ends the source like its end; the diagnostics then say
    // that it could not be read.
    if (std::ferror(f) && readError == 0) readError = errno != 0 ? errno : EIO;
    return kEof;
  }
  if (c == '\n') ++cislo_radku;
  return c;
}

// Adds one character; a token keeps its first 255 characters.
void pridej(int c) {
  if (delka_tokenu + 1 >= kDelkaTokenu) return;
  scanBuffer.text[delka_tokenu++] = c == kEof ? kZnakKonce : static_cast<char>(c);
  scanBuffer.text[delka_tokenu] = '\0';
}

// State 0: chooses the kind of token by its first character.
Stav zacatek(int c, bool& hotovo) {
  auto zacni = [&](int32_t trida, Stav dalsi) {
    pridej(c);
    scanBuffer.trida = trida;
    return dalsi;
  };
  if (c == '\t' || c == '\n' || c == ' ') {
    scanBuffer.trida = kMezera;
    hotovo = true;
    return sStart;
  }
  if (c == kEof) return zacni(kKonec, sHotovo);
  if (c == '!' || c == '<' || c == '>') return zacni(kOperator, sRelace);
  if (c == '"') {
    scanBuffer.trida = kRetezec;
    return sRetezec;
  }
  if (c != 0 && std::strchr("%&()*/=^_|", c)) return zacni(kOperator, sHotovo);
  if (c == '+') return zacni(kOperator, sPoPlus);
  if (c == '-') return zacni(kOperator, sPoMinus);
  if (c == '.' || pismeno(c)) return zacni(kSlovo, sSlovo);
  if (cislice(c)) return zacni(kCislo, sCelaCast);
  if (c == ':') return zacni(kKomentar, sPoDvojtecce);
  if (c == ';') return zacni(kStrednik, sHotovo);
  if (c == '{' || c == '}') return zacni(kSlozena, sHotovo);
  if (c == '?') return zacni(kDeklarace, sPoSigilu);
  if (c == '@') return zacni(kPromenna, sPoSigilu);
  if (c == '~') return zacni(kVolani, sPoSigilu);
  return sStart;  // a character that begins no token is dropped
}

// Adds a character of a number; the token is a number again.
void pridej_cislo(int c) {
  pridej(c);
  scanBuffer.trida = kCislo;
}

// States of numbers. Returns the next state, or sStart when the token ends.
Stav v_cisle(Stav stav, int c) {
  bool cifra = cislice(c);
  switch (stav) {
    case sCelaCast:
      if (cifra) return pridej_cislo(c), sCelaCast;
      if (c == ',') return pridej_cislo(c), sPoCarce;
      if (c == 'e') return pridej_cislo(c), sPoE;
      return sStart;
    case sPoCarce:
      return cifra ? (pridej_cislo(c), sDesetinna) : sPoCarce;
    case sDesetinna:
      if (cifra) return pridej_cislo(c), sDesetinna;
      if (c == 'e') return pridej_cislo(c), sPoE;
      return sStart;
    case sPoE:
      if (cifra) return pridej_cislo(c), sExponent;
      if (c == '+' || c == '-') {
        pridej(c);
        scanBuffer.trida = kOperator;
        return sPoZnamenku;
      }
      return sPoE;
    case sPoZnamenku:
      return cifra ? (pridej_cislo(c), sExponent) : sPoZnamenku;
    default:  // sExponent
      return cifra ? (pridej_cislo(c), sExponent) : sStart;
  }
}

// States after "+", "-", "!", "<", ">".
Stav v_operatoru(Stav stav, int c) {
  if ((stav == sPoPlus || stav == sPoMinus) && cislice(c)) return pridej_cislo(c), sCelaCast;
  if (stav == sPoMinus && c == '>') {
    scanBuffer.trida = kSipka;
    return pridej(c), sHotovo;
  }
  if (stav == sRelace && c == '=') return pridej(c), sHotovo;
  return sStart;
}

// States of words and names.
Stav ve_slove(Stav stav, int c) {
  bool znak_slova = pismeno(c) || cislice(c);
  switch (stav) {
    case sSlovo:
      if (c == '_') return pridej(c), sPoPodtrzitku;
      return znak_slova ? (pridej(c), sSlovo) : sStart;
    case sPoPodtrzitku:
      if (c == '_') return pridej(c), sPoPodtrzitku;
      return znak_slova ? (pridej(c), sSlovo) : sPoPodtrzitku;
    default:  // sPoSigilu
      return pismeno(c) ? (pridej(c), sSlovo) : sPoSigilu;
  }
}

// States of strings and comments; sHotovo when the closing character came.
Stav v_textu(Stav stav, int c) {
  switch (stav) {
    case sRetezec:
      if (c == '"') return sHotovo;
      pridej(c);
      return c == '/' ? sPoLomitku : sRetezec;
    case sPoLomitku:
      return pridej(c), sRetezec;
    case sPoDvojtecce:
      if (c == '!') return pridej(c), sBlokovyKom;
      if (c == ':') return pridej(c), sRadkovyKom;
      return sPoDvojtecce;
    case sRadkovyKom:
      pridej(c);
      return c == '\n' ? sHotovo : sRadkovyKom;
    case sBlokovyKom:
      pridej(c);
      return c == '!' ? sBlokKomVykricnik : sBlokovyKom;
    default:  // sBlokKomVykricnik
      pridej(c);
      if (c == ':') return sHotovo;
      return c == '!' ? sBlokKomVykricnik : sBlokovyKom;
  }
}

// The state after `c` in a state past the first character; sStart when
// `c` cannot continue the token.
Stav dalsi_stav(Stav stav, int c) {
  switch (stav) {
    case sCelaCast: case sPoCarce: case sDesetinna:
    case sPoE: case sPoZnamenku: case sExponent:
      return v_cisle(stav, c);
    case sPoPlus: case sPoMinus: case sRelace:
      return v_operatoru(stav, c);
    case sSlovo: case sPoPodtrzitku: case sPoSigilu:
      return ve_slove(stav, c);
    default:
      return v_textu(stav, c);
  }
}

// Scans one token (white space and comments included) into scanBuffer.
void skenuj() {
  delka_tokenu = 0;
  scanBuffer.text[0] = '\0';
  scanBuffer.trida = kKonec;
  bool hotovo = false;
  Stav stav = sStart;
  while (stav == sStart && !hotovo) stav = zacatek(cti_znak(), hotovo);
  while (!hotovo) {
    int c = cti_znak();
    // End of input ends every state; the character that ends a token waits in buffer.
    stav = stav == sHotovo || c == kEof ? sStart : dalsi_stav(stav, c);
    if (stav == sStart) {
      buffer = c;
      hotovo = true;
    }
  }
}

}  // namespace

int32_t Je_cislo(const char* text) {
  if (cislice(static_cast<unsigned char>(text[0]))) return 1;
  return (text[0] == '+' || text[0] == '-') && cislice(static_cast<unsigned char>(text[1]));
}

Word wordOf(const char* text) {
  struct Entry {
    const char* text;
    Word word;
  };
  static constexpr Entry kWords[] = {
      {"w2", kW2},         {"i2", kI2},       {"e2", kE2},          {"i2_end", kI2End},
      {"w2_end", kW2End},  {"cti", kCtiWord}, {"pis", kPisWord},    {"pis_ln", kPisLnWord},
      {"p2", kP2},         {".", kDot},       {"(", kOpenParen},    {")", kCloseParen},
      {"|", kOr},          {"&", kAnd},       {"!", kNot},          {"<", kLess},
      {">", kGreater},     {"=", kEqual},     {"!=", kNotEqual},    {"<=", kLessEqual},
      {">=", kGreaterEqual}, {"+", kPlus},    {"-", kMinus},        {"*", kTimes},
      {"/", kDivide},      {"%", kModulo},    {";", kSemicolonText}, {"{", kOpenBrace},
      {"}", kCloseBrace},
  };
  for (const Entry& entry : kWords) {
    if (text[0] == entry.text[0] && std::strcmp(text, entry.text) == 0) return entry.word;
  }
  return kNoWord;
}

namespace {

// Modes 0 to 2: the next token from the source, recorded in modes 1 and 2.
// Kept out of Lex so that a replayed token costs only the dispatch.
[[gnu::noinline]] void fromSource() {
  do {
    skenuj();
  } while (scanBuffer.trida == kKomentar || scanBuffer.trida == kMezera);
  scanBuffer.length = static_cast<uint16_t>(std::strlen(scanBuffer.text.data()));
  scanBuffer.word = wordOf(scanBuffer.text.data());
  scanBuffer.record = nullptr;
  scanBuffer.number = {};
  // A number token's value, read once; a text longer than a value is cut
  // when pushed and then reads differently.
  if (scanBuffer.trida == kCislo && scanBuffer.length < kDelkaHodnoty &&
      Je_cislo(scanBuffer.text.data())) {
    scanBuffer.number = {true, toNumber(scanBuffer.text.data())};
  }
  token_buffer = &scanBuffer;
  if (rezim_LA != kZdroj) Vloz_do_zas_cykl();
}

}  // namespace

int32_t Lex() {
  switch (rezim_LA) {
    case kPrehrajPodminku:
    case kPrehrajTelo:
      Cti_ze_zas();
      return 0;
    case kPomPodminka:
    case kPomTelo:
      Cti_pres_pom();
      return 0;
    case kZdroj:
    case kZdrojPodminka:
    case kZdrojTelo:
      fromSource();
      return 0;
    default:
      return 0;
  }
}

}  // namespace m4t4
