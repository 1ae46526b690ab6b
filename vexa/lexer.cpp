// The vexa automaton and the scanner that drives it one token at a time.
#include "lexer.h"

#include <cstring>
#include <iterator>

namespace vexa {

const char* const STAVY[] = {
    "qS",   "qS1",  "qS2", "qD2",  "qV1",    "qV2",  "qR1",    "qC1",
    "qC2",  "qC3",  "qC4", "qO1",  "qO2",    "qO3",  "qF",     "qR1F",
    "qD1D3F", "qD1F", "qO3O4F", "qO3F", "qD2F", "nedefinovany"};

const char* const TYPY_TOKENU[] = {
    "cislo", "retezec", "promenna", "identifikator", "komentar",
    "operator", "ukonznak", "blok", "prirad"};

// The name tables must name every state and every class.
static_assert(std::size(STAVY) == kStateCount);
static_assert(std::size(TYPY_TOKENU) == kClassCount);

std::FILE* file = nullptr;
Token t = {cislo, nullptr};
std::array<char, kTextCapacity> text_buffer = {};
int stop_status = 0;

void reset() {
  file = nullptr;
  t = {cislo, nullptr};
  text_buffer[0] = '\0';
  stop_status = 0;
  outputFd = 1;
  outputLength = 0;
}

namespace {

bool isLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isNameChar(int c) { return isLetter(c) || isDigit(c) || c == '_'; }
bool isOneOf(int c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// Characters that neither close nor reopen a block comment after its first `]`.
bool isNeutral(int c) {
  return c < 9 || c > 125 || (c >= 11 && c <= 31) || isOneOf(c, "#',?@`");
}

Move go(State s) { return {Move::go, s}; }
Move done(State s) { return {Move::done, s}; }
Move malformed(State s) { return {Move::malformed, s}; }

// A character that can begin no token is dropped like a blank.
Move fromStart(int c) {
  if (isLetter(c)) return go(qR1F);
  if (isDigit(c)) return go(qD1D3F);
  if (c == '+' || c == '-') return go(qD1F);
  if (isOneOf(c, "!%()*/;=^{}")) return go(qF);
  switch (c) {
    case '&': return go(qO1);
    case '|': return go(qO2);
    case '<': return go(qO3O4F);
    case '>': return go(qO3F);
    case ':': return go(qO3);
    case '"': return go(qS1);
    case '[': return go(qC4);
    case '$': return go(qV1);
    default: return go(qS);
  }
}

// Whether the character just appended is dropped from the token text.
// `from` is the state before the transition, `to` the state after it.
bool removes(State from, State to, int c, bool ended) {
  switch (to) {
    case qS: case qS2: case qC1: case qC2: case qC3: case qC4: return true;
    case qS1: return from == qS;                       // the opening quote only
    case qV1: return c == '$';                         // the opening dollar
    case qF: return !ended && (c == '"' || c == '$');  // the closing quote or dollar
    default: return false;
  }
}

// The class that a token takes from its first kept character.
int classOf(State s, int c, int current) {
  switch (s) {
    case qS1: case qS2: return retezec;
    case qD2: case qD1D3F: case qD1F: case qD2F: return cislo;
    case qV1: case qV2: return promenna;
    case qR1: case qR1F: return identifikator;
    case qO1: case qO2: case qO3: case qO3O4F: case qO3F: return operator_;
    case qF:
      if (c == ';') return ukonznak;
      if (c == '{' || c == '}') return blok;
      if (isOneOf(c, "!%()*/=^")) return operator_;
      return current;
    default: return current;
  }
}

// Ends the run with `status`, printing `message` first when there is one.
const char* stop(int status, const char* message) {
  if (message != nullptr) emit(message);
  if (stop_status == 0) stop_status = status;
  return nullptr;
}

}  // namespace

Move transition(State s, int c) {
  switch (s) {
    case qS:
      if (c == '\t' || c == '\n' || c == ' ') return go(qS);
      return fromStart(c);
    case qS1:
      if (c == '\\') return go(qS2);
      if (c == '"') return go(qF);
      return go(qS1);
    case qS2: return go(qS1);
    case qD2: return isDigit(c) ? go(qD2F) : malformed(s);
    case qV1: return isNameChar(c) ? go(qV2) : malformed(s);
    case qV2:
      if (isNameChar(c)) return go(qV2);
      return c == '$' ? go(qF) : malformed(s);
    case qR1:
      if (isLetter(c) || isDigit(c)) return go(qR1F);
      return c == '_' ? go(qR1) : malformed(s);
    case qC1: return c == '\n' ? go(qS) : go(qC1);
    case qC2: return c == ']' ? go(qC3) : go(qC2);
    case qC3:
      if (c == ']') return go(qS);
      return isNeutral(c) ? go(qC3) : go(qC2);
    case qC4:
      if (c == '>') return go(qC1);
      return c == '[' ? go(qC2) : malformed(s);
    case qO1: return c == '&' ? go(qF) : malformed(s);
    case qO2: return c == '|' ? go(qF) : malformed(s);
    case qO3: return c == '=' ? go(qF) : malformed(s);
    case qF: return done(s);
    case qR1F:
      if (isLetter(c) || isDigit(c)) return go(qR1F);
      return c == '_' ? go(qR1) : done(s);
    case qD1D3F:
      if (isDigit(c)) return go(qD1D3F);
      return c == '.' ? go(qD2) : done(s);
    case qD1F: return isDigit(c) ? go(qD1D3F) : done(s);
    case qO3O4F: return (c == '=' || c == '>') ? go(qF) : done(s);
    case qO3F: return c == '=' ? go(qF) : done(s);
    case qD2F: return isDigit(c) ? go(qD2F) : done(s);
    default: return malformed(s);
  }
}

const char* lex() {
  State state = qS;
  int length = 0;
  int previous = EOF;
  text_buffer[0] = '\0';
  t.text = text_buffer.data();
  for (;;) {
    const int c = std::getc(file);
    if (c == EOF) return std::ferror(file) ? stop(1, "Soubor neexistuje\n") : t.text;
    text_buffer[length++] = static_cast<char>(c);
    text_buffer[length] = '\0';

    const Move move = transition(state, c);
    if (move.kind == Move::malformed) return stop(2, nullptr);
    const bool ended = move.kind == Move::done;
    const State from = state;
    state = move.next;
    if (removes(from, state, c, ended)) text_buffer[--length] = '\0';
    // The look-ahead that ends a token does not count towards its length.
    if (length > kMaxTokenLength + (ended ? 1 : 0)) return stop(1, "moc dlouhy slovo\n");

    if (from == qS && state == qS1) t.type = retezec;  // "" is a string too
    if (length == 1 && !ended) t.type = classOf(state, c, t.type);
    if (ended && state == qD1F) t.type = operator_;    // a lone sign
    if (c == '=' && previous == ':') t.type = prirad;
    previous = c;

    if (ended) {
      std::ungetc(c, file);
      text_buffer[--length] = '\0';
      emit("[", 1);
      emit(TYPY_TOKENU[t.type]);
      emit("] ", 2);
      return t.text;
    }
  }
}

}  // namespace vexa
