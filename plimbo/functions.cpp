// Function declarations and calls. A declaration's header is parsed and
// dropped (its block runs where it stands); a call evaluates its arguments.
#include "hooks.h"
#include "procedures.h"

namespace plimbo {

namespace {

// Parses "(" list ")" after a declaration or call name.
unsigned bracketedList(const char* procedure, unsigned (*list)()) {
  if (tok_n->word != kOpenParen) return syntaxError(procedure, "\"(\"");
  lex();
  if (unsigned status = list()) return status;
  if (tok_n->word != kCloseParen) return syntaxError(procedure, "\")\"");
  lex();
  return 0;
}

}  // namespace

/* dek_fce -> declaration-name "(" L ")" */
unsigned dek_fce() {
  functionStarts(true);
  lex();
  if (unsigned status = bracketedList("dek_fce", L)) return status;
  functionEnds(true);
  return 0;
}

/* L -> ( "PROM" | "CTE" ) variable [ ";" L ] */
unsigned L() {
  for (;;) {
    if (tok_n->word != kProm && tok_n->word != kCte) return syntaxError("L", "\"PROM\" nebo \"CTE\"");
    lex();
    if (tok_n->type != kVariable) return syntaxError("L", "\"promenna\"");
    lex();
    if (tok_n->type != kSemicolon) return 0;
    lex();
  }
}

/* vol_fce -> call-name "(" S ")" */
unsigned vol_fce() {
  formRefuse();  // its arguments stay on the pushdown: no form
  functionStarts(false);
  lex();
  if (unsigned status = bracketedList("vol_fce", S)) return status;
  functionEnds(false);
  return 0;
}

/* S -> empty | A [ ";" S ], where the S after ";" is not empty */
unsigned S() {
  if (tok_n->word == kCloseParen) return 0;
  for (;;) {
    // Required: every argument's value stays on the pushdown and the call
    // pushes nothing, so an operator takes the last two arguments, or an
    // older value after a call without arguments (functions/calls).
    if (unsigned status = A()) return status;
    // The ";" between arguments is tested by its text, so a string ";" serves too.
    if (tok_n->word != kSemicolonText) return 0;
    lex();
    if (tok_n->word == kCloseParen) return syntaxError("S", "\"cislo, retezec, promenna nebo volani fce\"");
  }
}

}  // namespace plimbo
