// A type error on purpose: "+" joins a number and a text, but "-" needs two
// numbers, and the word "apples" does not begin like a number.
// Run it with:  echo 10 apples | build/plimbo examples/plimbo/error_type.plb
{
  NASAJ ($a);
  NASAJ ($b);
  VRACEE ($a + $b);
  VRACEE ($a - $b);
} ZDECHNI
