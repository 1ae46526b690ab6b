// Factorial: reads a whole number n and prints 1!, 2!, ... up to n!.
// The first $i is the literal 1 and prints as 1; every later value is the
// result of arithmetic and prints with six decimals.
// Run it with:  echo 6 | build/plimbo examples/plimbo/factorial.plb
{
  NASAJ ($n);
  $f <: 1;
  $i <: 1;
  DOKAD ($i <= $n) {
    $f <: $f * $i;
    VRACEE ("factorial of " + $i + " is " + $f);
    $i <: $i + 1;
  } FINISH;
} ZDECHNI
