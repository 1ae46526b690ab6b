// A syntax error on purpose: "$i+1" scans as the variable $i followed by the
// number +1, so the expression ends after $i and ";" is missing before +1.
// Write "$i + 1", with blanks around the operator. The run stops at the
// first error; what was printed before it stays.
// Run it with:  build/plimbo examples/plimbo/error_syntax.plb
{
  $i <: 1;
  VRACEE ("before the error");
  $i <: $i+1;
  VRACEE ("never printed");
} ZDECHNI
