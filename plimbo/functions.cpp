// Function declarations and calls. A declaration's header is parsed and
// dropped (its block runs where it stands); a call evaluates its arguments.
#include "procedures.h"

namespace plimbo {

/* dek_fce -> declaration-name "(" L ")" */
unsigned dek_fce() {
  lex();
  if (!isText("(")) return syntaxError("dek_fce", "\"(\"");
  lex();
  if ((SAError = L()) != 0) return SAError;
  if (!isText(")")) return syntaxError("dek_fce", "\")\"");
  lex();
  return 0;
}

/* L -> ( "PROM" | "CTE" ) variable [ ";" L ] */
unsigned L() {
  for (;;) {
    if (!isText("PROM") && !isText("CTE")) return syntaxError("L", "\"PROM\" nebo \"CTE\"");
    lex();
    if (tok_n.type != kVariable) return syntaxError("L", "\"promenna\"");
    lex();
    if (tok_n.type != kSemicolon) return 0;
    lex();
  }
}

/* vol_fce -> call-name "(" S ")" */
unsigned vol_fce() {
  lex();
  if (!isText("(")) return syntaxError("vol_fce", "\"(\"");
  lex();
  if ((SAError = S()) != 0) return SAError;
  if (!isText(")")) return syntaxError("vol_fce", "\")\"");
  lex();
  return 0;
}

/* S -> empty | A [ ";" S ], where the S after ";" is not empty */
unsigned S() {
  if (isText(")")) return 0;
  for (;;) {
    if ((SAError = A()) != 0) return SAError;
    if (!isText(";")) return 0;
    lex();
    if (isText(")")) return syntaxError("S", "\"cislo, retezec, promenna nebo volani fce\"");
  }
}

}  // namespace plimbo
